#include "app/TGuideWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TGuideWindow::TGuideWindow(QWidget* parent)
    : TSideWindow(parent, "FormGuide", QStringLiteral("Руководство пользователя"), {860, 640}),
      TextGuide(new QTextBrowser(this))
{
    TextGuide->setObjectName("TextGuide");
    TextGuide->setOpenExternalLinks(true);
    column()->addWidget(TextGuide);
}

void TGuideWindow::showGuide(const QString& path)
{
    // The pictures are found beside the guide.
    TextGuide->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    bringUp();
}
