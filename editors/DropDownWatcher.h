#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

// Closes a dialog's drop-down pickers once the focus has left what they
// serve: every 100 ms while the dialog is open, each picker whose
// keep-open test fails is closed.
class DropDownWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int intervalMs = 100;

    explicit DropDownWatcher(QObject *parent = nullptr);

    void watch(std::function<bool()> keepOpen, std::function<void()> close);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // One round of the checks, as the timer runs it.
    void check();
    void closeAll();

private:
    struct Picker
    {
        std::function<bool()> keepOpen;
        std::function<void()> close;
    };
    std::vector<Picker> m_pickers;
    QTimer m_timer;
};
