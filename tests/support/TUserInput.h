#pragma once
// Real mouse clicks and key presses on the windows' own widgets, as a user
// gives them: a tree node clicked at its caption, a drop-down list opened,
// moved through with the arrow keys and closed with Return; files dragged
// from a file manager and dropped.

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QUrl>

class TUserInput {
public:
    // What the file manager learns of a drag: whether the widget would take
    // the files while they are over it, and whether it took the drop.
    struct TDrop {
        bool entered = false;
        bool taken = false;
    };
    // Drags files over a widget and drops them there, as a file manager does
    // (which offers them as text too). The drop is sent even when the widget
    // refused the drag, as a source may that does not wait for the answer.
    static TDrop drop(QWidget* target, const QStringList& files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        data.setText(files.join('\n'));
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        QCoreApplication::processEvents();
        return {enter.isAccepted() && move.isAccepted(),
                dropped.isAccepted() && dropped.dropAction() != Qt::IgnoreAction};
    }

    // Clicks a node's caption; true when it became the tree's current node.
    static bool click(QTreeWidget* tree, QTreeWidgetItem* node)
    {
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
        return tree->currentItem() == node;
    }
    // A double-click on an item's caption as a mouse gives it: a click, then
    // the second press, which the view takes as the double-click.
    static void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item)
    {
        tree->scrollToItem(item);
        const QPoint at = tree->visualItemRect(item).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
    }
    // Clicks the arrow that opens and closes a node.
    static void clickBranch(QTreeWidget* tree, QTreeWidgetItem* node)
    {
        tree->scrollToItem(node);
        const QRect caption = tree->visualItemRect(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          QPoint(caption.left() - tree->indentation() / 2, caption.center().y()));
    }
    // Opens the list with the mouse, moves to the entry with the arrow keys
    // and presses Return; false when the list did not open.
    static bool pick(QComboBox* list, int index)
    {
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* view = list->view();
        if (!view->isVisible())
            return false;
        for (int row = view->currentIndex().row(); row != index; row += row < index ? 1 : -1)
            QTest::keyClick(view, row < index ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Return);
        return true;
    }
};
