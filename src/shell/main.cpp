#include <QApplication>

#include "desktop/path_text.h"
#include "desktop/qt_desktop.h"
#include "shell/program_values.h"
#include "shell/u_qvr32.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qvr::name_application();

    // The program directory is the folder of the running program; the configuration file, the job log
    // and the help file live there.
    std::string program_dir = qvr::from_path_text(QApplication::applicationDirPath());
    if (program_dir.empty() || program_dir.back() != '/') program_dir += '/';

    qvr::QtDesktop desktop;
    qvr::Tmdi_qvr main_window(desktop, program_dir);
    desktop.set_parent(&main_window);
    QObject::connect(&main_window, &qvr::Tmdi_qvr::program_ended, &app,
                     [](int status) { QApplication::exit(status); });
    main_window.show();
    return QApplication::exec();
}
