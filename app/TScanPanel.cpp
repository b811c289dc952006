#include "app/TScanPanel.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TScanPanel::TScanPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("PanelScan");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setFixedSize(Width, Height);
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName("PanelScanCaption");
    m_caption->setAlignment(Qt::AlignCenter);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, Range);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    layout->addWidget(m_caption);
    layout->addWidget(ProgressBar);
    hide();
}

QString TScanPanel::caption() const
{
    return m_caption->text();
}

void TScanPanel::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

void TScanPanel::centreOnParent()
{
    if (QWidget* p = parentWidget())
        move(p->width() / 2 - width() / 2, p->height() / 2 - height() / 2);
}
