#pragma once

// Runs the registered benchmarks against the real browser view showing the local directory's form.

#include "gui/WebEngineBrowserView.h"
#include "gui/WebTestSupport.h"

#include "directory/CarnivalDirectory.h"

#include <QApplication>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

/// ready is called once the form for catalog has loaded in the view, before the benchmarks run,
/// and done after them.
inline int RunWithRealForm(int argc, char** argv, const CarnivalCatalog& catalog,
                           const std::function<void(WebEngineBrowserView&, const CarnivalDirectory&)>& ready,
                           const std::function<void()>& done)
{
    // Headless by default; Chromium's sandbox refuses to run as root.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication app(argc, argv);

    CarnivalDirectory directory(catalog);
    if (directory.start().isEmpty()) {
        std::fprintf(stderr, "directory: %s\n", qPrintable(directory.errorString()));
        return 1;
    }
    QWebEngineProfile profile;
    {
        WebEngineBrowserView view(&profile);
        view.widget()->resize(800, 600);
        view.widget()->show();
        if (!WebTestSupport::navigateAndWait(view, directory.submitUrl())) {
            std::fprintf(stderr, "the form did not load\n");
            return 1;
        }
        ready(view, directory);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        done();
    }
    directory.stop();
    return 0;
}
