// Cost of translation: GetS and TranslateForm work on the language column held in memory,
// with no database query per call. Translates a window of 200 controls and calls GetS
// many times, on the shipped language database, and prints the figures.
//
// usage: bench_localization [GetS calls] [window passes]

#include "base/DataFolder.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>

using namespace slx;

namespace {

// 200 controls: labels, buttons with tool tips, check boxes, tabs and menu items, all with
// catalogue texts (some not in the database, which costs a miss each).
std::unique_ptr<QMainWindow> buildWindow()
{
    auto form = std::make_unique<QMainWindow>();
    form->setWindowTitle(GetNativeString(1, QString()));
    auto *central = new QWidget(form.get());
    auto *layout = new QVBoxLayout(central);
    int id = 1;
    const auto next = [&id] {
        const QString t = GetNativeString(id, QString());
        id = id % kNativeCount + 1;
        return t;
    };
    int controls = 0;
    auto *tabs = new QTabWidget(central);
    for (int i = 0; i < 10; ++i)
        tabs->addTab(new QWidget, next());
    layout->addWidget(tabs);
    ++controls;
    QMenu *menu = form->menuBar()->addMenu(next());
    ++controls;
    for (int i = 0; i < 20; ++i, ++controls)
        menu->addAction(next());
    while (controls < 200) {
        switch (controls % 3) {
        case 0: layout->addWidget(new QLabel(next(), central)); break;
        case 1: {
            auto *b = new QPushButton(next(), central);
            b->setToolTip(next());
            layout->addWidget(b);
            break;
        }
        default: layout->addWidget(new QCheckBox(next(), central)); break;
        }
        ++controls;
    }
    form->setCentralWidget(central);
    return form;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int passes = argc > 2 ? std::atoi(argv[2]) : 200;

    QTemporaryDir home;
    qputenv("SLX90_HOME", home.path().toLocal8Bit());
    if (!DataFolder::seed().has_value()) {
        std::fprintf(stderr, "cannot seed %s\n", qPrintable(home.path()));
        return 1;
    }
    LocGuru &loc = oLocGuru();
    QElapsedTimer t;
    t.start();
    if (!LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), QStringLiteral("Deutsch"))) {
        std::fprintf(stderr, "cannot open the language database\n");
        return 1;
    }
    const double openMs = t.nsecsElapsed() / 1e6;

    t.restart();
    qsizetype chars = 0;
    for (int i = 0; i < calls; ++i)
        chars += loc.GetS(i % 180 + 1).size();
    const double getsNs = double(t.nsecsElapsed()) / calls;

    // Building the window is measured apart, so that the translation alone is reported.
    double buildMs = 0;
    double translateMs = 0;
    for (int p = 0; p < passes; ++p) {
        t.restart();
        auto form = buildWindow();
        buildMs += t.nsecsElapsed() / 1e6;
        t.restart();
        loc.TranslateForm(form.get());
        translateMs += t.nsecsElapsed() / 1e6;
        if (p == 0 && form->windowTitle() != QStringLiteral("Sprache")) {
            std::fprintf(stderr, "the window was not translated\n");
            return 1;
        }
    }

    std::printf("open Language.db (Deutsch, %d texts):  %8.3f ms\n", kNativeCount, openMs);
    std::printf("GetS:                                  %8.1f ns per call (%d calls, %lld characters)\n", getsNs, calls,
                static_cast<long long>(chars));
    std::printf("TranslateForm, 200 controls:           %8.3f ms per window (%d windows)\n", translateMs / passes,
                passes);
    std::printf("  (building that window:               %8.3f ms)\n", buildMs / passes);
    return 0;
}
