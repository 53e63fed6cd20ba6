#include <QApplication>
#include <QFile>

#include "desktop/qt_desktop.h"
#include "desktop/widget_text.h"
#include "shell/program_values.h"
#include "shell/u_qvr32.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(qvr::kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(qvr::kApplicationTitle));

    // The program directory is the folder of the running program; the configuration file, the job log
    // and the help file live there.
    std::string program_dir = QFile::encodeName(QApplication::applicationDirPath()).toStdString();
    if (program_dir.empty() || program_dir.back() != '/') program_dir += '/';

    qvr::QtDesktop desktop;
    qvr::Tmdi_qvr main_window(desktop, program_dir);
    desktop.set_parent(&main_window);
    QObject::connect(&main_window, &qvr::Tmdi_qvr::program_ended, &app,
                     [](int status) { QApplication::exit(status); });
    main_window.show();
    return QApplication::exec();
}
