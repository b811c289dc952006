#include "widgets/TDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
TQtDialogs realDialogs;
TDialogs* installed = nullptr;

QString qtFilter(const QString& filter)
{
    // "description|pattern|description|pattern" to "description (pattern);;..."
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + parts[i + 1] + ")";
    return out.join(";;");
}

QString captionFor(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information: return QStringLiteral("Information");
    case TMsgIcon::Warning: return QStringLiteral("Warning");
    case TMsgIcon::Error: return QStringLiteral("Error");
    case TMsgIcon::Question: return QStringLiteral("Confirm");
    case TMsgIcon::None: break;
    }
    return QApplication::applicationName();
}
} // namespace

TDialogs& TDialogs::current()
{
    return installed ? *installed : realDialogs;
}

void TDialogs::install(TDialogs* dialogs)
{
    installed = dialogs;
}

namespace {
void describe(QMessageBox& box, const TMessage& msg)
{
    box.setWindowTitle(msg.caption.isEmpty() ? captionFor(msg.icon) : msg.caption);
    box.setText(msg.text);
    switch (msg.icon) {
    case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
}
} // namespace

int TQtDialogs::choose(const TMessage& msg, const QStringList& choices, int defaultChoice)
{
    QMessageBox box(QApplication::activeWindow());
    describe(box, msg);
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < choices.size(); ++i)
        buttons << box.addButton(choices[i], i == defaultChoice ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (QAbstractButton* fallback = buttons.value(defaultChoice)) {
        box.setDefaultButton(qobject_cast<QPushButton*>(fallback));
        box.setEscapeButton(fallback);
    }
    box.exec();
    const auto pressed = static_cast<int>(buttons.indexOf(box.clickedButton()));
    return pressed < 0 ? defaultChoice : pressed;
}

int TQtDialogs::message(const TMessage& msg)
{
    QMessageBox box(QApplication::activeWindow());
    describe(box, msg);
    struct Pair {
        int ours;
        QMessageBox::StandardButton qt;
    };
    const Pair pairs[] = {
        {mbYes, QMessageBox::Yes}, {mbNo, QMessageBox::No}, {mbOK, QMessageBox::Ok}, {mbCancel, QMessageBox::Cancel}};
    QMessageBox::StandardButtons buttons;
    for (const Pair& p : pairs)
        if (msg.buttons & p.ours)
            buttons |= p.qt;
    box.setStandardButtons(buttons);
    const int answer = box.exec();
    for (const Pair& p : pairs)
        if (answer == p.qt)
            return p.ours;
    return (msg.buttons & mbCancel) ? mbCancel : mbOK;
}

QString TQtDialogs::openFile(const TFileRequest& req)
{
    const QString start
        = req.folder.isEmpty() || req.fileName.isEmpty() ? req.folder + req.fileName : req.folder + '/' + req.fileName;
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), start, qtFilter(req.filter));
}

QString TQtDialogs::saveFile(const TFileRequest& req)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), req.folder, qtFilter(req.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(req.defaultExtension);
    dialog.selectFile(req.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

int TQtDialogs::execModal(QDialog& dialog)
{
    return dialog.exec();
}

namespace Dlg {
int information(const QString& text)
{
    return TDialogs::current().message({text, QString(), TMsgIcon::Information, mbOK});
}

bool confirm(const QString& text)
{
    return TDialogs::current().message({text, QString(), TMsgIcon::Information, mbOK | mbCancel}) == mbOK;
}

int askYesNoCancel(const QString& text)
{
    return TDialogs::current().message({text, QString(), TMsgIcon::Information, mbYes | mbNo | mbCancel});
}

void error(const QString& text)
{
    TDialogs::current().message({text, QString(), TMsgIcon::Error, mbOK});
}

void plain(const QString& text)
{
    TDialogs::current().message({text, QString(), TMsgIcon::None, mbOK});
}
} // namespace Dlg
