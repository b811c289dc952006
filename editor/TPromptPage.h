#pragma once
// Pages 2, 3 and 7: a header that asks the user to pick a child node, and for
// the console and paging roots a message shown when the root may not open.

#include "editor/TPage.h"

class TPromptPage : public TPage {
    Q_OBJECT
public:
    TPromptPage(TEditorHost& host, const QString& header, const QString& messageName, const QString& message,
                QWidget* parent = nullptr);

    void setMessageShown(bool shown);

private:
    QLabel* m_message = nullptr;
};
