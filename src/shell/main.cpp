#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/path_text.h"
#include "desktop/qt_desktop.h"
#include "shell/program_options.h"
#include "shell/program_values.h"
#include "shell/u_qvr32.h"

namespace {

int signal_pipe[2] = {-1, -1};

void note_signal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(signal_pipe[1], &byte, 1);
}

/// A session that ends (logout, shutdown, `kill`) ends the program as File > Exit does, so the job log is
/// saved; the signal only wakes the event loop, which does the work.
void end_on_signals(qvr::Tmdi_qvr& main_window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &main_window);
    QObject::connect(notifier, &QSocketNotifier::activated, &main_window, [&main_window] {
        char byte = 0;
        [[maybe_unused]] ssize_t got = ::read(signal_pipe[0], &byte, 1);
        main_window.end_program();
    });
    struct sigaction action {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Read before the application object exists: --help and --version need no display, and a wrong
    // option is told as such instead of being opened as a file.
    const qvr::ProgramOptions options =
        qvr::read_program_options(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
        case qvr::ProgramOptions::help:
            std::fputs(qvr::program_help_text().c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case qvr::ProgramOptions::version:
            std::fputs(qvr::program_version_text().c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case qvr::ProgramOptions::usage_error:
            std::fputs(qvr::program_usage_error_text(options.problem).c_str(), stderr);
            return 2;
        case qvr::ProgramOptions::run:
            break;
    }

    QApplication app(argc, argv);
    qvr::name_application();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quarvel-%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    // The program directory is the folder of the running program; a portable copy keeps its
    // configuration file, job log and help file there.
    std::string program_dir = qvr::from_path_text(QApplication::applicationDirPath());
    if (program_dir.empty() || program_dir.back() != '/') program_dir += '/';

    qvr::QtDesktop desktop;
    qvr::Tmdi_qvr main_window(desktop, program_dir);
    desktop.set_parent(&main_window);
    QObject::connect(&main_window, &qvr::Tmdi_qvr::program_ended, &app,
                     [](int status) { QApplication::exit(status); });
    end_on_signals(main_window);
    main_window.show();
    // A file handed over by a file manager or the desktop entry opens as File > "Input" would open it.
    if (!options.input_path.empty()) {
        const std::string path = options.input_path;
        QTimer::singleShot(0, &main_window, [&main_window, path] { main_window.open_input_file(path); });
    }
    return QApplication::exec();
}
