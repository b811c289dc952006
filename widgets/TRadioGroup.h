#pragma once
// A titled group of radio buttons with one index: -1 when none is selected.

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    enum class Arrangement { Row, Column };

    TRadioGroup(const QString& name, const QString& title, const QStringList& items, Arrangement arrangement,
                QWidget* parent = nullptr);

    int itemIndex() const;
    // -1 clears the selection. Raises no signal.
    void setItemIndex(int index);
    QRadioButton* button(int index) const { return m_buttons.at(static_cast<size_t>(index)); }

signals:
    // The user clicked a button.
    void itemClicked(int index);

private:
    QButtonGroup* m_group;
    std::vector<QRadioButton*> m_buttons;
};
