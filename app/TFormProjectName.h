#pragma once
// The dialog that asks for the name of a new project. It lives for the whole
// run and keeps its text, so it offers the name typed last time.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFormProjectName : public QDialog {
    Q_OBJECT
public:
    explicit TFormProjectName(QWidget* parent = nullptr);

    QString name() const;
    QLineEdit* edit() const { return ProjectName; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* ProjectName;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

extern TFormProjectName* FormProjectName;
