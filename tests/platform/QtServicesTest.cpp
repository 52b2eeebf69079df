// The production message boxes and the file-dialog filter notation.

#include <QPushButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/QtServices.h"

namespace {

TEST(QtServicesTest, FilterNotationBecomesNameFilters) {
  EXPECT_EQ(QtNameFilters(QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s)|*.m;*.s")),
            QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s) (*.m *.s)"));
  EXPECT_EQ(QtNameFilters(QStringLiteral("ﾒｲﾝ|*.m|ﾊﾞｯｸ|*.s")),
            QStringLiteral("ﾒｲﾝ (*.m);;ﾊﾞｯｸ (*.s)"));
  EXPECT_EQ(QtNameFilters(QString()), QString());
}

// Shows a message box and lets `answer` inspect and close it.
int Ask(int style, const std::function<void(QMessageBox&)>& answer) {
  QTimer::singleShot(0, [answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    answer(*box);
  });
  QtServices services;
  return services.MsgBox(QStringLiteral("C:/a.m\r\n\r\n文"), style, QStringLiteral("報告"));
}

TEST(QtServicesTest, MessageBoxStylesButtonsAndAnswers) {
  // Question: Yes and No, Yes the default.
  EXPECT_EQ(Ask(36,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Question);
                  EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
                  EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Yes));
                  EXPECT_EQ(box.windowTitle(), QStringLiteral("報告"));
                  EXPECT_EQ(box.text(), QStringLiteral("C:/a.m\n\n文"));
                  box.defaultButton()->click();
                }),
            6);
  EXPECT_EQ(Ask(36, [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }), 7);
  EXPECT_EQ(Ask(48,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Warning);
                  EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
                  box.button(QMessageBox::Ok)->click();
                }),
            1);
  EXPECT_EQ(Ask(64,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Information);
                  box.reject();  // closed by the window's close button
                }),
            1);
}

}  // namespace
