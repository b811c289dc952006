#pragma once
// A main window with its link, the traffic log and the port dialog, and
// simulated controllers on pseudo-terminals published as COM ports of the
// test's own configuration folder.

#include "app/TControllerLink.h"
#include "app/TMain.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TFormPort.h"
#include "serial/TPortMap.h"
#include "tests/support/TEventPump.h"
#include "tests/support/TScriptedDialogs.h"
#include "tests/support/TSimProcess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

class TLinkFixture : public ::testing::Test {
protected:
    static constexpr int Interval = 500; // ms per port while scanning
    static constexpr char Serial[] = "ABCDEFGHIJ";

    void SetUp() override
    {
        usePortsOfTheTest();
        FormPort = new TFormPort;
        SetComPort = new TSetComPort;
        Main = new TMain(Interval);
        Main->connectWindows();
        Main->show();
    }
    // COM numbers come from the test's own configuration folder, and the
    // backups of what is read go to its own data folder.
    void usePortsOfTheTest()
    {
        ASSERT_TRUE(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_config.filePath("data").toLocal8Bit());
        std::filesystem::create_directories(TPortMap::OverrideFolder());
    }
    void TearDown() override
    {
        delete Main;
        Main = nullptr;
        delete SetComPort;
        SetComPort = nullptr;
        delete FormPort;
        FormPort = nullptr;
        m_sims.clear();
    }

    TControllerLink& link() const { return *Main->link(); }
    QToolButton* button(const char* name) const { return Main->findChild<QToolButton*>(name); }
    TScanPanel* panel() const { return Main->scanPanel(); }
    // The title's text, without the mark of unsaved changes.
    static QString title() { return Main->windowTitle().remove(QStringLiteral("[*]")); }
    QString log() const { return FormPort->memo()->toPlainText(); }

    // Starts kt7sim published as COM `com`, unpaced unless arguments say
    // otherwise. COM `com` is a link of the test's own to a name that stays
    // while simulators come and go, as a /dev/serial/by-id name does.
    TSimProcess& simulate(int com, QStringList arguments = {})
    {
        arguments << "--serial" << Serial;
        if (!arguments.contains("--baud"))
            arguments << "--baud"
                      << "0";
        m_sims.push_back(std::make_unique<TSimProcess>(arguments));
        const QString alias = line(com);
        const QString link = QString::fromStdString(TPortMap::OverrideFolder()) + "/com" + QString::number(com);
        QFile::remove(alias);
        QFile::remove(link);
        EXPECT_TRUE(QFile::link(m_sims.back()->device(), alias) && QFile::link(alias, link));
        return *m_sims.back();
    }
    // The name that stands for the simulator published as COM `com`.
    QString line(int com) const { return m_config.filePath(QStringLiteral("line%1").arg(com)); }
    // COM `com` names a device that does not exist.
    void absent(int com) const
    {
        std::filesystem::create_symlink(m_config.filePath("no-such-device").toStdString(),
                                        TPortMap::OverrideFolder() + "/com" + std::to_string(com));
    }

    // Presses TBFind and answers the port dialog with Ok: automatic detection
    // when com is 0, else the fixed port com; the line's speed when given.
    void pressFind(int com, int baud = 0)
    {
        dialogs.modals.push_back([com, baud](QDialog& dialog) {
            auto* automatic = dialog.findChild<QCheckBox*>("CheckBox1");
            if (automatic->isChecked() != (com == 0))
                automatic->click();
            if (com != 0)
                dialog.findChild<QComboBox*>("ComboBoxPort")->setEditText(QString::number(com));
            if (baud != 0)
                dialog.findChild<QComboBox*>("ComboBoxSpeed")->setEditText(QString::number(baud));
            dialog.findChild<QPushButton*>("Button1")->click();
            return dialog.result();
        });
        button("TBFind")->click();
    }
    // Connects to the simulator on COM `com` and waits for its answer.
    void connectTo(int com, int baud = 0)
    {
        dialogs.messages.clear();
        pressFind(com, baud);
        ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); })) << "no identify reply";
        dialogs.messages.clear();
    }

    template <class Done> static bool waitFor(Done done, int ms = 10000) { return TEventPump::until(done, ms); }
    // Lets the event loop run for a while.
    static void idle(int ms)
    {
        waitFor([] { return false; }, ms);
    }

    bool transferDone() const { return link().linkState() == TControllerLink::Idle; }
    // The backups kept in the test's data folder, oldest first.
    QStringList backups() const
    {
        QDir folder(m_config.filePath("data/kt7config/backups"));
        QStringList paths;
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
            paths << folder.filePath(name);
        return paths;
    }

    static TImage randomImage(unsigned seed)
    {
        TImage image;
        std::mt19937 random(seed);
        for (int i = 0; i < TImage::Size; ++i)
            image.setByte(i, static_cast<uint8_t>(random()));
        return image;
    }

    static void writeFile(const QString& path, const TImage& image)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < TImage::Size; ++i)
            file.putChar(static_cast<char>(image.byte(i)));
    }

    static TImage readFile(const QString& path)
    {
        QFile file(path);
        TImage image;
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.size(), TImage::Size);
        for (int i = 0; i < TImage::Size && i < bytes.size(); ++i)
            image.setByte(i, static_cast<uint8_t>(bytes[i]));
        return image;
    }

    static int firstDifference(const TImage& a, const TImage& b)
    {
        for (int i = 0; i < TImage::Size; ++i)
            if (a.byte(i) != b.byte(i))
                return i;
        return -1;
    }

    static int count(const QString& text, const QString& line)
    {
        return static_cast<int>(text.split('\n').count(line));
    }

    QTemporaryDir m_config;
    TScriptedDialogs dialogs;
    std::vector<std::unique_ptr<TSimProcess>> m_sims;
};
