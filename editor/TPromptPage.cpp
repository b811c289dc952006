#include "editor/TPromptPage.h"

#include <QLabel>
#include <QVBoxLayout>

TPromptPage::TPromptPage(TEditorHost& host, const QString& header, const QString& messageName, const QString& message,
                         QWidget* parent)
    : TPage(host, header, parent)
{
    if (!messageName.isEmpty()) {
        m_message = new QLabel(message, this);
        m_message->setObjectName(messageName);
        m_message->setWordWrap(true);
        m_message->setStyleSheet("color: #b00000;");
        m_message->setVisible(false);
        body()->addWidget(m_message);
    }
    body()->addStretch();
}

void TPromptPage::setMessageShown(bool shown)
{
    if (m_message)
        m_message->setVisible(shown);
}
