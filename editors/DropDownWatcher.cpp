#include "editors/DropDownWatcher.h"

DropDownWatcher::DropDownWatcher(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DropDownWatcher::check);
}

void DropDownWatcher::watch(std::function<bool()> keepOpen, std::function<void()> close)
{
    m_pickers.push_back({std::move(keepOpen), std::move(close)});
}

void DropDownWatcher::start()
{
    m_timer.start();
}

void DropDownWatcher::stop()
{
    m_timer.stop();
}

void DropDownWatcher::check()
{
    for (const Picker &picker : m_pickers) {
        if (!picker.keepOpen())
            picker.close();
    }
}

void DropDownWatcher::closeAll()
{
    for (const Picker &picker : m_pickers)
        picker.close();
}
