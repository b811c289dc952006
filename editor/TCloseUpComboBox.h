#pragma once
// A drop-down list that says when its list closes, whether an entry was
// chosen or not.

#include <QComboBox>

class TCloseUpComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void hidePopup() override;

signals:
    void closedUp();
};
