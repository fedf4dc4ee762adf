#pragma once

#include "ScreenshotRun.h"

#include "ui/shell/QuickShell.h"

#include <memory>

// The product's shell with the headless demo's pictures: every state of the windows written
// into a folder.
class ShotShell : public QuickShell
{
    Q_OBJECT

public:
    using QuickShell::QuickShell;

    void takeScreenshots(const QString &folder) override
    {
        m_run = std::make_unique<ScreenshotRun>(folder, windows(), context().menuBar, qml());
        connect(m_run.get(), &ScreenshotRun::finished, this, &ViewShell::screenshotsFinished);
        m_run->start();
    }

private:
    std::unique_ptr<ScreenshotRun> m_run;
};
