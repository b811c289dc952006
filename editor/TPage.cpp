#include "editor/TPage.h"

#include <QLabel>
#include <QVBoxLayout>

TPage::TPage(TEditorHost& host, const QString& header, QWidget* parent) : QWidget(parent), m_host(host)
{
    m_body = new QVBoxLayout(this);
    m_header = new QLabel(header, this);
    m_header->setFrameShape(QFrame::Panel);
    m_header->setFrameShadow(QFrame::Raised);
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);
    m_body->addWidget(m_header);
}
