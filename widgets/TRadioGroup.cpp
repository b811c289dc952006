#include "widgets/TRadioGroup.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& name, const QString& title, const QStringList& items, Arrangement arrangement,
                         QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    setObjectName(name);
    QBoxLayout* layout
        = arrangement == Arrangement::Row ? static_cast<QBoxLayout*>(new QHBoxLayout(this)) : new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        layout->addWidget(button);
        m_buttons.push_back(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::itemClicked);
}

int TRadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < static_cast<int>(m_buttons.size())) {
        m_buttons[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group cannot be cleared button by button.
    m_group->setExclusive(false);
    for (QRadioButton* b : m_buttons)
        b->setChecked(false);
    m_group->setExclusive(true);
}
