#include "tests/support/TSimProcess.h"

#include <stdexcept>

namespace {
constexpr int StartMs = 5000;
constexpr int StopMs = 5000;
} // namespace

TSimProcess::TSimProcess(const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(KT7SIM_PATH), arguments);
    if (!m_process.waitForStarted(StartMs))
        throw std::runtime_error("kt7sim did not start");
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(StartMs))
            throw std::runtime_error("kt7sim printed no device");
    }
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

TSimProcess::~TSimProcess()
{
    if (m_process.state() != QProcess::NotRunning && !finish())
        m_process.kill();
    m_process.waitForFinished(StopMs);
}

bool TSimProcess::finish()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(StopMs))
            return false;
    }
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}
