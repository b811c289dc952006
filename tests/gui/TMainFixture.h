#pragma once
// A fresh main window for each test, with scripted dialogs and helpers that
// reach controls by their object names, as a user's test script would.

#include "app/TMain.h"
#include "tests/support/TScriptedDialogs.h"
#include "tests/support/TUserInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

class TMainFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Main = new TMain;
        Main->show();
    }
    void TearDown() override
    {
        delete Main;
        Main = nullptr;
    }

    template <class T> T* ctl(const QString& name) const
    {
        T* widget = Main->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QCheckBox* box(int number) const { return ctl<QCheckBox>(QStringLiteral("CheckBox%1").arg(number)); }
    QTreeWidget* tree() const { return ctl<QTreeWidget>("TV"); }
    // The title's text, without the mark of unsaved changes.
    static QString title() { return Main->windowTitle().remove(QStringLiteral("[*]")); }

    // Selects a node programmatically; returns whether the selection moved there.
    bool select(QTreeWidgetItem* node) const
    {
        tree()->setCurrentItem(node);
        return tree()->currentItem() == node;
    }
    // A click on a node's row in the tree, then a turn of the event loop as
    // between two user actions.
    void clickNode(QTreeWidgetItem* node) const
    {
        TUserInput::click(tree(), node);
        QCoreApplication::processEvents();
    }
    // Sets a list entry and raises the choice's signal.
    void choose(const QString& list, int index) const
    {
        QComboBox* combo = ctl<QComboBox>(list);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // Real input: a click on a node's caption or on its arrow, a key pressed
    // in the tree, a list entry chosen through the opened list.
    bool click(QTreeWidgetItem* node) const { return TUserInput::click(tree(), node); }
    void clickBranch(QTreeWidgetItem* node) const { TUserInput::clickBranch(tree(), node); }
    void press(Qt::Key key) const { QTest::keyClick(tree(), key); }
    void pick(const QString& list, int index) const
    {
        ASSERT_TRUE(TUserInput::pick(ctl<QComboBox>(list), index)) << list.toStdString();
    }
    static int mark(const QTreeWidgetItem* node) { return node->data(0, TMain::MarkRole).toInt(); }
    static int offset(const QTreeWidgetItem* node) { return node->data(0, TMain::OffsetRole).toInt(); }

    // Loads an image as a whole, the way New, Open and a controller read end.
    void reloadWith(const TImage& image) const
    {
        Main->image() = image;
        Main->EditorReload();
    }

    TScriptedDialogs dialogs;
};
