#pragma once
// kt7sim run as a child process: started with its arguments, it prints the
// pseudo-terminal it serves; finish() ends it so its --dump file is written.

#include <QProcess>
#include <QString>
#include <QStringList>

class TSimProcess {
public:
    // Throws std::runtime_error when the simulator does not come up.
    explicit TSimProcess(const QStringList& arguments);
    ~TSimProcess();
    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    const QString& device() const { return m_device; }
    // Asks the simulator to stop and waits for it; true when it ended cleanly.
    bool finish();

private:
    QProcess m_process;
    QString m_device;
};
