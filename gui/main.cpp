// strovan: the cruise design program. One optional argument: a cruise file to work on.
#include <clocale>

#include <QApplication>
#include <QCommandLineParser>

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
    QApplication::setWindowIcon(gui::AppIcon());
    gui::InstallWindowConventions();

    QCommandLineParser parser;
    parser.setApplicationDescription("Designs a timber cruise.");
    parser.addHelpOption();
    parser.addPositionalArgument("file", "Cruise file (.crz) to work on.", "[file]");
    parser.process(qapp);

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
