#pragma once
// One page of the editor's page area: a header line and the controls that edit
// the image at the selected node's offset.

#include <QWidget>

class QLabel;
class QVBoxLayout;
class TEditorHost;

class TPage : public QWidget {
    Q_OBJECT
public:
    TPage(TEditorHost& host, const QString& header, QWidget* parent = nullptr);

    // Shows the image's values; called with the loading guard set.
    virtual void load() {}

protected:
    QLabel* header() const { return m_header; }
    QVBoxLayout* body() const { return m_body; }

    TEditorHost& m_host;

private:
    QLabel* m_header;
    QVBoxLayout* m_body;
};
