#include "tests/support/TScriptedDialogs.h"

#include "tests/support/TEventPump.h"

int TScriptedDialogs::message(const TMessage& msg)
{
    messages.push_back(msg);
    if (whileShown)
        whileShown(msg);
    if (boxOpenMs > 0)
        TEventPump::until([] { return false; }, boxOpenMs);
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    for (int b : {mbOK, mbYes, mbNo, mbCancel})
        if (msg.buttons & b)
            return b;
    return mbOK;
}

int TScriptedDialogs::choose(const TMessage& msg, const QStringList& choices, int defaultChoice)
{
    choiceLists.push_back(choices);
    const bool scripted = !answers.empty();
    const int answer = message(msg) - mbChoice;
    if (!scripted)
        return 0;
    return answer >= 0 && answer < choices.size() ? answer : defaultChoice;
}

QString TScriptedDialogs::openFile(const TFileRequest& req)
{
    fileRequests.push_back(req);
    if (openPaths.empty())
        return QString();
    const QString path = openPaths.front();
    openPaths.pop_front();
    return path;
}

QString TScriptedDialogs::saveFile(const TFileRequest& req)
{
    fileRequests.push_back(req);
    if (savePaths.empty())
        return QString();
    const QString path = savePaths.front();
    savePaths.pop_front();
    return path;
}

int TScriptedDialogs::execModal(QDialog& dialog)
{
    if (modals.empty())
        return QDialog::Rejected;
    auto handler = std::move(modals.front());
    modals.pop_front();
    const int result = handler(dialog);
    dialog.setResult(result);
    return result;
}

QStringList TScriptedDialogs::texts() const
{
    QStringList out;
    for (const TMessage& m : messages)
        out << m.text;
    return out;
}
