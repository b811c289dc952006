#include "app/TStateMarks.h"

QIcon TStateMarks::icon(int mark)
{
    // Loaded once: the tree asks for a mark every time a node is drawn.
    static const QIcon icons[] = {
        QIcon(),
        QIcon(QStringLiteral(":/icons/mark-off.svg")),
        QIcon(QStringLiteral(":/icons/mark-on.svg")),
        QIcon(QStringLiteral(":/icons/mark-unreachable.svg")),
    };
    return (mark >= Off && mark <= Unreachable) ? icons[mark] : icons[None];
}
