#pragma once
// The port dialog: automatic detection or a fixed port number, and the line
// parameters. It lives for the whole run, so its controls keep their last
// state between uses; both of its buttons apply the settings to the link.

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TCommPort;
class TRadioGroup;

class TSetComPort : public QDialog {
    Q_OBJECT
public:
    static constexpr int DialogWidth = 330;
    static constexpr int CompactHeight = 190;
    static constexpr int GroupHeight = 193;

    explicit TSetComPort(QWidget* parent = nullptr);

    // Where the settings go: the link's port number and its serial port.
    void bind(std::function<void(int portNumber)> setPortNumber, TCommPort* port)
    {
        m_setPortNumber = std::move(setPortNumber);
        m_port = port;
    }
    bool automatic() const;

    void CheckBox1Click();
    void ButtonParamClick();
    // Run by both buttons: the port number and the line settings go to the link.
    void ButtonOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLineParameters();
    // The buttons stay at the bottom edge.
    void setHeight(int height);
    // The device that the chosen port number stands for, beside the list.
    void showDevice();

    std::function<void(int portNumber)> m_setPortNumber;
    TCommPort* m_port = nullptr;
    QCheckBox* CheckBox1;
    QComboBox* ComboBoxPort;
    QLabel* Label1;
    QLabel* LabelDevice;
    QPushButton* ButtonParam;
    QGroupBox* GroupBox1;
    QComboBox* ComboBoxSpeed;
    QComboBox* ComboBoxControl;
    TRadioGroup* RadioGroupParity;
    TRadioGroup* RadioGroupData;
    TRadioGroup* RadioGroupStop;
    QCheckBox* CheckBoxDTR;
    QCheckBox* CheckBoxRTS;
    QPushButton* ButtonOk;
    QPushButton* Button1;
};

extern TSetComPort* SetComPort;
