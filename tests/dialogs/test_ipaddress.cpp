// The IP address editor as the operator types into it: focus moves on by
// itself, the dot and Backspace keys, whole addresses shown with setValue.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ipaddress.h"

namespace {

class IpEditor : public ::testing::Test {
protected:
    void SetUp() override {
        editor.show();
        for (int i = 0; i < 4; ++i)
            fields[i] = editor.findChild<QLineEdit*>(QStringLiteral("txtIP%1").arg(i + 1));
        for (QLineEdit* f : fields) ASSERT_NE(f, nullptr);
        fields[0]->setFocus();
    }
    // The field that has the focus within the editor's window.
    QWidget* focused() const { return editor.window()->focusWidget(); }
    // Keys go where the operator's focus is.
    void type(const QString& keys) {
        for (const QChar c : keys) QTest::keyClick(focused(), c.toLatin1());
    }

    IPAddress editor;
    QLineEdit* fields[4] = {};
};

}  // namespace

TEST_F(IpEditor, ThirdDigitOfAHighOctetMovesOn) {
    type("192");
    EXPECT_EQ(focused(), fields[1]);
    EXPECT_EQ(fields[0]->text(), "192");
}

TEST_F(IpEditor, DotKeyMovesOnAndIsNotTyped) {
    type("25.");
    EXPECT_EQ(focused(), fields[1]);
    EXPECT_EQ(fields[0]->text(), "25");
    type("16.");
    EXPECT_EQ(focused(), fields[2]);
    EXPECT_EQ(editor.text(), "25.16..");
}

TEST_F(IpEditor, LowNumberOfThreeCharactersStays) {
    type("007");
    EXPECT_EQ(focused(), fields[0]);
    // The octet pattern takes at most two digits unless the number is 100 or more.
    EXPECT_EQ(fields[0]->text(), "00");
}

TEST_F(IpEditor, BackspaceInAnEmptyFieldGoesBack) {
    fields[2]->setFocus();
    QTest::keyClick(focused(), Qt::Key_Backspace);
    EXPECT_EQ(focused(), fields[1]);
}

TEST_F(IpEditor, EmptyLastFieldLeavesATrailingDot) {
    type("10.0.0.");
    EXPECT_EQ(editor.text(), "10.0.0.");
    type("256");  // above 255: the last digit is refused
    EXPECT_EQ(editor.text(), "10.0.0.25");
}

TEST_F(IpEditor, SetValueTakesOnlyCompleteAddresses) {
    editor.setValue("256.1.1.1");
    editor.setValue("10.0.0");
    EXPECT_EQ(editor.text(), "");
    EXPECT_EQ(fields[0]->text(), "");
    editor.setValue("10.0.0.5");
    EXPECT_EQ(editor.text(), "10.0.0.5");
    EXPECT_EQ(fields[0]->text(), "10");
    EXPECT_EQ(fields[3]->text(), "5");
    editor.setValue("192.168.1.200");
    EXPECT_EQ(editor.text(), "192.168.1.200");
    EXPECT_EQ(focused(), fields[0]) << "an address shown, not typed, leaves the focus where it was";
}

TEST_F(IpEditor, ClearEmptiesAndFocusesTheFirstField) {
    editor.setValue("10.0.0.5");
    fields[3]->setFocus();
    editor.clear();
    for (QLineEdit* f : fields) EXPECT_EQ(f->text(), "");
    EXPECT_EQ(focused(), fields[0]);
    EXPECT_EQ(editor.sizeHint(), QSize(250, 20));
    EXPECT_EQ(editor.minimumSizeHint(), QSize(30, 10));
}
