// The playback dialog as the operator drives it: caching texts, frame rates,
// the replay to its end, the slider and closing.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

#include "dialog_playback.h"

namespace {

// A one-fan revolution whose fan start tells which one it is.
std::vector<RawData> marked(int marker) {
    RawData fan;
    fan.tag = 0xFACF;
    fan.start = uint16_t(marker);
    fan.span = 3600;
    fan.count = 2;
    fan.points[0].distance = 1.5f;
    fan.points[1].distance = 2.5f;
    return {fan};
}

void cache(Dialog_Playback& d, int revolutions) {
    for (int i = 0; i < revolutions; ++i)
        d.addCachedFrame(marked(i), float(i + 1) * 100.0f / float(revolutions + 1));
    d.addCachedFrame({}, 100.0f);
}

QString text(const Dialog_Playback& d, const char* name) {
    if (auto* label = d.findChild<QLabel*>(name)) return label->text();
    if (auto* edit = d.findChild<QLineEdit*>(name)) return edit->text();
    if (auto* button = d.findChild<QPushButton*>(name)) return button->text();
    return QStringLiteral("<no %1>").arg(name);
}

int shownMarker(const QSignalSpy& spy, int at) {
    return spy.at(at).at(0).value<std::vector<RawData>>().at(0).start;
}

}  // namespace

TEST(DialogPlayback, OpensWithTheFormTexts) {
    Dialog_Playback d;
    EXPECT_EQ(d.windowTitle(), "Playback control");
    EXPECT_EQ(d.size(), QSize(400, 209));
    EXPECT_EQ(text(d, "lb_progress"), "%0");
    EXPECT_EQ(text(d, "pb_start"), "play");
    EXPECT_EQ(text(d, "le_info"), QString::fromUtf8("请选择播放帧率并点击开始按钮"));
    const auto* rates = d.findChild<QComboBox*>("cb_framerate");
    ASSERT_NE(rates, nullptr);
    EXPECT_EQ(rates->currentText(), "10");
    EXPECT_EQ(rates->count(), 4);
}

TEST(DialogPlayback, CachingShowsProgressThenFinishAndKeepsNoClosingFrame) {
    Dialog_Playback d;
    d.addCachedFrame(marked(0), 12.5f);
    EXPECT_EQ(text(d, "le_info"), "Current Cache Progress:%12.5");
    d.addCachedFrame(marked(1), 100.0f);
    EXPECT_EQ(text(d, "le_info"), "Caching is finish!");
    EXPECT_EQ(d.cacheSize(), 1);
}

TEST(DialogPlayback, FrameRateSetsTheReplayInterval) {
    const std::pair<int, int> table[] = {{0, 100}, {1, 200}, {2, 333}, {3, 1000}};
    for (const auto& [index, interval] : table) {
        Dialog_Playback d;
        d.findChild<QComboBox*>("cb_framerate")->setCurrentIndex(index);
        d.on_pb_start_clicked();
        EXPECT_EQ(d.replayTimer().interval(), interval) << "rate index " << index;
        EXPECT_TRUE(d.replayTimer().isActive());
        EXPECT_EQ(text(d, "pb_start"), "parse");
        d.on_pb_start_clicked();
        EXPECT_FALSE(d.replayTimer().isActive());
        EXPECT_EQ(text(d, "pb_start"), "play");
    }
}

TEST(DialogPlayback, NothingCachedEndsAtOnce) {
    Dialog_Playback d;
    d.addCachedFrame({}, 100.0f);
    EXPECT_EQ(text(d, "le_info"), "Caching is finish!");
    d.on_pb_start_clicked();
    d.recv_timeout();
    EXPECT_EQ(text(d, "le_info"), "Playback is end!");
    EXPECT_EQ(text(d, "pb_start"), "play");
    EXPECT_FALSE(d.isPlaying());
}

TEST(DialogPlayback, HundredRevolutionsReplayInOrderToTheEnd) {
    Dialog_Playback d;
    cache(d, 100);
    QSignalSpy shown(&d, &Dialog_Playback::sig_playprogress);
    d.on_pb_start_clicked();
    for (int i = 0; i < 101; ++i) d.recv_timeout();
    ASSERT_EQ(shown.count(), 100);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(shownMarker(shown, i), i);
    EXPECT_EQ(d.findChild<QSlider*>("horizontalSlider")->value(), 99);
    EXPECT_EQ(text(d, "lb_progress"), "%100");
    EXPECT_EQ(text(d, "le_info"), "Playback is end!");
    EXPECT_FALSE(d.replayTimer().isActive());
}

TEST(DialogPlayback, SliderAtFiftyOfTenShowsRevolutionFive) {
    Dialog_Playback d;
    cache(d, 10);
    QSignalSpy shown(&d, &Dialog_Playback::sig_playprogress);
    d.on_horizontalSlider_sliderMoved(50);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shownMarker(shown, 0), 5);
    EXPECT_EQ(text(d, "lb_progress"), "%50");
    // The replay goes on from there.
    d.recv_timeout();
    EXPECT_EQ(shownMarker(shown, 1), 5);
    EXPECT_EQ(d.replayIndex(), 6);

    // With nothing cached a move only updates the label.
    Dialog_Playback empty;
    QSignalSpy none(&empty, &Dialog_Playback::sig_playprogress);
    empty.on_horizontalSlider_sliderMoved(70);
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(text(empty, "lb_progress"), "%70");
}

TEST(DialogPlayback, CloseStopsTheReplayAndSaysSo) {
    Dialog_Playback d;
    cache(d, 3);
    d.show();
    d.on_pb_start_clicked();
    QSignalSpy closed(&d, &Dialog_Playback::sig_close);
    d.findChild<QPushButton*>("pb_close")->click();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(d.replayTimer().isActive());
    EXPECT_FALSE(d.isVisible());
}
