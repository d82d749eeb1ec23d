#include "app/PlannerProgram.h"

#include "app/Unit1.h"
#include "store/CalendarPreload.h"
#include "store/Unit2.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include <cstdio>

PlannerProgram::PlannerProgram(Settings settings)
    : m_settings(std::move(settings))
{
    if (!m_settings.trayAvailable)
        m_settings.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
}

PlannerProgram::~PlannerProgram()
{
    // Closing the cursors saves a pending edit, and its after-post refresh
    // reaches the views: that happens while they are all still there, as at
    // Exit. Then the window goes, and nothing of the store calls into it.
    if (m_dataModule) {
        m_dataModule->closeAll();
        m_dataModule->setHost(nullptr);
    }
    m_mainWindow.reset();
    m_dataModule.reset();
}

namespace {

// Without a screen a modal box would wait for a click that never comes.
bool withoutScreen()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void showOnStandardError(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

std::unique_ptr<QMessageBox> PlannerProgram::messageBoxFor(const QString &text, QWidget *window)
{
    QWidget *owner = window ? window->window() : nullptr;
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Daybrook Planner"), text,
                                             QMessageBox::Ok, owner);
    if (owner) {
        box->setWindowModality(Qt::WindowModal);
        if (owner->windowFlags() & Qt::WindowStaysOnTopHint)
            box->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    return box;
}

void PlannerProgram::showMessage(const QString &text, QWidget *window) const
{
    if (m_settings.showMessage) {
        m_settings.showMessage(text);
        return;
    }
    if (!m_settings.runMessageBox && withoutScreen()) {
        showOnStandardError(text);
        return;
    }
    std::unique_ptr<QMessageBox> box = messageBoxFor(text, window);
    if (m_settings.runMessageBox)
        m_settings.runMessageBox(*box);
    else
        box->exec();
}

Outcome PlannerProgram::start()
{
    m_dataModule = std::make_unique<TDataModule2>(m_settings.root);
    m_mainWindow = std::make_unique<TForm1>(*m_dataModule, m_settings.trayAvailable);
    m_dataModule->setHost(m_mainWindow.get());
    connect(m_dataModule.get(), &TDataModule2::storeMessage, this, [this](const QString &text) { showMessage(text); });
    connect(m_mainWindow.get(), &TForm1::storeError, this, [this](const QString &text) { showMessage(text); });
    connect(m_mainWindow.get(), &TForm1::exitRequested, this, &PlannerProgram::exit);
    for (const Part &part : m_mainWindowParts)
        part(*this);

    if (m_settings.preload)
        m_settings.preload->wait();
    const Outcome started = m_dataModule->startUp();
    // From here the calendar cursors hold the file, if it was the one read.
    m_settings.preload.reset();
    if (!started)
        return started;

    // Without a notification area a window hidden at start could never be
    // reached, so it is shown whatever "Hide main window on startup" says.
    const bool hideAtStart = m_dataModule->options().hideOnStartup() && m_settings.trayAvailable();
    if (!hideAtStart)
        m_mainWindow->show();

    for (const Part &window : m_hiddenWindows)
        window(*this);
    return {};
}

void PlannerProgram::exit()
{
    m_dataModule->closeAll();
    m_exited = true;
    emit finished(0);
}
