// The message and wait dialogs as the operator sees them: the refused-command
// note and its timing, the modal busy indicator, the progress window.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>
#include <memory>

#include "dialog_reminder.h"
#include "dialog_waitsignal.h"
#include "dialog_waitsignal2.h"

namespace {

QString noteText(const Dialog_Reminder& note) {
    return note.findChild<QLabel*>("label")->text();
}

}  // namespace

// ---------------------------------------------------------------- reminder

TEST(ReminderNote, LinesAccumulateUnderOneHeading) {
    Dialog_Reminder note;
    note.addRefusedCommand(0x53, "LSTOPH", 2);
    note.addRefusedCommand(0x43, "LSRPM:10H", 2);
    const QString expected =
        "Error command printing \r\n\tmode:0x0053 cmd:LSTOPH NG!\r\n\tmode:0x0043 cmd:LSRPM:10H NG!";
    EXPECT_EQ(noteText(note), expected);
    EXPECT_TRUE(note.isVisible());
}

TEST(ReminderNote, ModeIsAtLeastFourHexDigits) {
    Dialog_Reminder note;
    note.addRefusedCommand(0x53, "A", 2);
    note.addRefusedCommand(0x12345, "B", 2);
    EXPECT_TRUE(noteText(note).contains("mode:0x0053 cmd:A NG!"));
    EXPECT_TRUE(noteText(note).contains("mode:0x12345 cmd:B NG!"));
}

TEST(ReminderNote, HidesTwoPeriodsAfterTheLastLine) {
    Dialog_Reminder note;
    QElapsedTimer clock;
    note.addRefusedCommand(0x53, "LSTOPH", 1);
    note.addRefusedCommand(0x53, "LSTARH", 1);
    clock.start();
    ASSERT_TRUE(note.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !note.isVisible(); }, 6000));
    // Two periods of 1 s; coarse timers may fire up to 5 % early.
    EXPECT_GE(clock.elapsed(), 1800);
}

TEST(ReminderNote, EarlierLinesStayAfterHiding) {
    Dialog_Reminder note;
    note.addRefusedCommand(0x53, "ONE", 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !note.isVisible(); }, 3000));
    note.addRefusedCommand(0x53, "TWO", 0);
    EXPECT_TRUE(note.isVisible());
    EXPECT_EQ(noteText(note),
              "Error command printing \r\n\tmode:0x0053 cmd:ONE NG!\r\n\tmode:0x0053 cmd:TWO NG!");
}

TEST(ReminderNote, NegativeSecondsStillHide) {
    Dialog_Reminder note;
    note.addRefusedCommand(0x53, "X", -5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !note.isVisible(); }, 3000));
}

TEST(ReminderNote, FramelessToolWindowOfFixedLook) {
    auto* note = new Dialog_Reminder;
    const Qt::WindowFlags flags = note->windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(note->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(note->size(), QSize(472, 118));
    EXPECT_EQ(note->windowTitle(), "Form");
    EXPECT_EQ(note->styleSheet(),
              QString::fromUtf8("\nQLabel\n{\ncolor: rgb(0, 0, 0);\n  font: 12pt \"黑体\";\n}\n"));
    EXPECT_EQ(note->findChild<QLabel*>("label")->styleSheet(), "background-color: rgb(121, 121, 121);");
    // Closing frees the note: it is created on demand and not kept.
    ASSERT_TRUE(note->testAttribute(Qt::WA_DeleteOnClose));
    QSignalSpy destroyed(note, &QObject::destroyed);
    note->show();
    note->close();
    EXPECT_TRUE(destroyed.count() == 1 || destroyed.wait(2000));
}

// ---------------------------------------------------------------- wait dialog

TEST(WaitDialog, ApplicationModalFramelessAndAnimated) {
    Dialog_WaitSignal wait;
    EXPECT_EQ(wait.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(wait.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(wait.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(wait.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_DOUBLE_EQ(wait.windowOpacity(), 1.0);

    auto* label = wait.findChild<QLabel*>("label");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->movie(), wait.movie());
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_FALSE(label->hasScaledContents());
    EXPECT_EQ(label->styleSheet(), "QLabel {background-color:transparent;}");
    // The animation is compiled in and plays from construction.
    ASSERT_TRUE(wait.movie()->isValid());
    EXPECT_GT(wait.movie()->frameCount(), 1);
    EXPECT_EQ(wait.movie()->state(), QMovie::Running);
}

TEST(WaitDialog, CloseButtonHidesTheDialog) {
    Dialog_WaitSignal wait;
    auto* close = wait.findChild<QPushButton*>("pb_close");
    ASSERT_NE(close, nullptr);
    EXPECT_FALSE(close->icon().isNull());
    EXPECT_EQ(close->styleSheet(), "border:none;");
    wait.show();
    ASSERT_TRUE(wait.isVisible());
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(wait.isVisible());
}

// ---------------------------------------------------------------- progress window

TEST(ProgressWindow, ShowsRateTitleAndInfo) {
    Dialog_WaitSignal2 progress;
    auto* bar = progress.findChild<QProgressBar*>("progressBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    progress.setProgressValue(42);
    progress.setProgressTexts("Writing zones", "piece 3 of 7");
    EXPECT_EQ(bar->value(), 42);
    EXPECT_EQ(progress.findChild<QLabel*>("lb_action")->text(), "Writing zones");
    EXPECT_EQ(progress.findChild<QLabel*>("lb_info")->text(), "piece 3 of 7");
}

TEST(ProgressWindow, TitleSizeAndStyle) {
    Dialog_WaitSignal2 progress;
    EXPECT_EQ(progress.windowTitle(), "Progress bar");
    EXPECT_EQ(progress.size(), QSize(400, 80));
    EXPECT_EQ(progress.styleSheet(),
              "QProgressBar{\n\tfont:9pt;\n\tborder-radius:5px;\n\ttext-align:center;\n\tborder:1px solid "
              "#E8EDF2;\n\tbackground-color: rgb(255, 255, 255);\n\tborder-color: rgb(180, 180, "
              "180);\n}\nQProgressBar:chunk{\n\tborder-radius:5px;\n\tbackground-color:#1ABC9C;\n}\n");
}

// ---------------------------------------------------------------- translations

TEST(DialogTranslation, ChineseCatalogueTranslatesTheDialogs) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(VANTREL_QM_DIR "/Chinese.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        Dialog_WaitSignal2 progress;
        EXPECT_EQ(progress.windowTitle(), QString::fromUtf8("进度条"));
        Dialog_Reminder note;
        note.addRefusedCommand(0x53, "LSTOPH", 2);
        EXPECT_EQ(noteText(note), QString::fromUtf8("错误指令打印 \r\n\tmode:0x0053 cmd:LSTOPH NG!"));
    }
    QCoreApplication::removeTranslator(&translator);
}
