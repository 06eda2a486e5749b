#pragma once

#include <QObject>

class QSocketNotifier;

// Ctrl+C and SIGTERM (on Windows Ctrl+C, Ctrl+Break and closing the console)
// as a signal of the event loop, so that the program ends its run in order
// instead of being killed in the middle of writing a file. One per program.
class StopSignal : public QObject
{
    Q_OBJECT

public:
    explicit StopSignal(QObject* parent = nullptr);
    ~StopSignal() override;

Q_SIGNALS:
    void raised();

private:
    QSocketNotifier* m_notifier = nullptr;
};
