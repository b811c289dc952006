// Qt's own dialogs speak the tool's language: the translation the package
// depends on is found and loaded whatever the system's locale, and the tool's
// own texts stay as they are.

#include "app/TFormProjectName.h"
#include "app/TQtRussian.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

TEST(QtRussian, FileDialogsAndMessageBoxButtonsAreRussianAndTheToolsTextsStay)
{
    const QLocale system;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(TQtRussian::install(*qApp));

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), QStringLiteral("Нет"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранить как"));
    const char* const replace = "%1 already exists.\nDo you want to replace it?";
    EXPECT_NE(QFileDialog::tr(replace), QString::fromLatin1(replace));

    TFormProjectName form;
    EXPECT_EQ(form.findChild<QPushButton*>("CancelBtn")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Создание проета"));

    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(system);
}
