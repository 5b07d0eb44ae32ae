// strovan: the cruise design program. One optional argument: a cruise file to work on.
#include <clocale>

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>

#include "app/desktop_command_line.h"
#include "app/main_dialog.h"
#include "app/step_hooks.h"
#include "conventions.h"
#include "main_window.h"
#include "pictures.h"
#include "qt_ui.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    // Qt adopts the user's locale; the cruise file's numbers are written and read with
    // printf/strtod and must keep the decimal point whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(ui::kAppName);
    QApplication::setApplicationVersion(STROVAN_VERSION);
    // Desktops match the windows to the installed entry and its icon by this name.
    QApplication::setDesktopFileName("org.strovan.Strovan");
    QApplication::setWindowIcon(gui::AppIcon());
    gui::InstallWindowConventions();

    const app::DesktopCommandLine& help = app::DesktopCommandLineHelp();
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromStdString(help.summary));
    for (const app::CommandLineEntry& e : help.options) {
        QStringList names;
        for (const QString& n : QString::fromStdString(e.name).split(", "))
            names << QString(n).remove(QRegularExpression("^-+"));
        parser.addOption(QCommandLineOption(names, QString::fromStdString(e.text)));
    }
    parser.addPositionalArgument(QString::fromStdString(help.argument.name),
                                 QString::fromStdString(help.argument.text),
                                 "[" + QString::fromStdString(help.argument.name) + "]");
    parser.process(qapp);
    if (parser.isSet("help")) parser.showHelp(0);
    if (parser.isSet("version")) parser.showVersion();

    gui::QtUi ui;
    // The later steps (strata setup, compilations, design form) are the hooks each
    // subsystem registers.
    app::HookedSteps steps(ui);
    app::CMainDialog logic(ui, &steps);
    if (!parser.positionalArguments().isEmpty())
        logic.SetFilePath(parser.positionalArguments().first().toStdString());

    gui::MainWindow window(logic);
    ui.SetMainWindow(&window);
    window.show();
    logic.OnInitDialog();
    window.Refresh();
    window.exec();
    return 0;
}
