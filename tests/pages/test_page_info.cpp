// The parameter page on its own: what it shows of a block on each link type,
// the command texts its controls build, the checks that keep bad text off the
// wire, and who may change what.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <cstring>
#include <vector>

#include "page_info.h"
#include "page_message.h"
#include "qt_wait.h"
#include "sample_block.h"

namespace {

struct Message {
    QString title;
    QString text;
};

// A page with its outgoing commands and messages captured.
class PageInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        pagemsg::setMessageHook([this](const QString& title, const QString& text) {
            m_messages.push_back({title, text});
        });
        m_page.show();  // controls that send only while visible
        // A connected scanner and an administrator: every control is open.
        m_page.setConnected(true);
        m_page.setRightLevel(1);
    }
    void TearDown() override { pagemsg::setMessageHook({}); }

    template <class T>
    T* child(const char* name) {
        return m_page.findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    QStringList sent() const {
        QStringList out;
        for (const auto& args : m_set) out << args.at(0).toString();
        return out;
    }

    static EEpromV101 networkBlock(const char* model = "TQX-H540-S") {
        EEpromV101 b = testsupport::sampleNetworkBlock(model);
        std::memcpy(b.productSn, "VT2401A0042", 11);
        b.deviceId = 77;
        b.rpm = 900;
        b.fir = 3;
        b.cir = 12;
        b.af = 25;
        b.tfx = 1;
        b.dsw = 1;
        b.pst = 2;
        b.pnpBits = 0x85;
        b.outMap[0] = 0x0F;
        b.outMap[11] = 0x08;
        b.flags143 = 0x04;
        b.zirDistance = 300;
        return b;
    }

    Page_Info m_page;
    QSignalSpy m_set{&m_page, &Page_Info::sig_S_PACK};
    QSignalSpy m_control{&m_page, &Page_Info::sig_C_PACK};
    QSignalSpy m_read{&m_page, &Page_Info::sig_GS_PACK};
    QSignalSpy m_data{&m_page, &Page_Info::sig_data};
    std::vector<Message> m_messages;
};

}  // namespace

// ---------------------------------------------------------------- showing a block

TEST_F(PageInfoTest, NetworkBlockIsShownWithoutSendingAnything) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    EXPECT_EQ(child<QLineEdit>("le_id")->text(), "77");
    EXPECT_EQ(child<QLineEdit>("le_ip")->text(), "192.168.1.10");
    EXPECT_EQ(child<QLineEdit>("le_srvip")->text(), "192.168.1.100");
    EXPECT_EQ(child<QLineEdit>("le_port")->text(), "2111");
    EXPECT_EQ(child<QLineEdit>("le_srvport")->text(), "2368");
    EXPECT_EQ(child<QLineEdit>("le_filterFactor")->text(), "25");
    EXPECT_EQ(child<QComboBox>("cb_rpm")->currentText(), "900");
    EXPECT_EQ(child<QComboBox>("cb_rpm")->count(), 5);  // 600|900|1200|1500|1800
    EXPECT_EQ(child<QComboBox>("cb_postway")->currentIndex(), 2);
    EXPECT_TRUE(child<QCheckBox>("cb_filter")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cb_target_fix")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cb_out1")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cb_out2")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cb_out3")->isChecked());
    EXPECT_EQ(child<QComboBox>("cb_pnp")->currentIndex(), 1);  // bit 7: NPN
    EXPECT_TRUE(m_page.outputMatrix()->button(3)->isChecked());
    EXPECT_TRUE(m_page.outputMatrix()->button(4 * 11 + 3)->isChecked());
    EXPECT_FALSE(m_page.outputMatrix()->button(4 * 11 + 2)->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cb_rotate")->isEnabled());
    EXPECT_TRUE(child<QFrame>("frame_zone_continuous_detect")->isVisibleTo(&m_page));
    EXPECT_EQ(child<QLineEdit>("le_zone_dist_thr")->text(), "300");
    EXPECT_EQ(m_page.lidarType(), "TQX-H540-S");
    EXPECT_EQ(m_set.count(), 0);
    EXPECT_TRUE(m_messages.empty());

    // A model without a switchable direction or continuity setting.
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock("TQX-H520-S"));
    EXPECT_FALSE(child<QCheckBox>("cb_rotate")->isEnabled());
    EXPECT_FALSE(child<QFrame>("frame_zone_continuous_detect")->isVisibleTo(&m_page));
}

TEST_F(PageInfoTest, UnknownModelIsReportedAndLeavesNoSpeeds) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock("NO-SUCH-MODEL"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "error");
    EXPECT_EQ(m_messages[0].text, "Unable to find the current model of lidar, please contact the developer!");
    EXPECT_EQ(child<QComboBox>("cb_rpm")->count(), 0);
}

TEST_F(PageInfoTest, BoxVariantHidesNetworkAndShowsItsSelector) {
    EEpromV101 b = networkBlock();
    reinterpret_cast<uint8_t*>(&b)[43] = 0x02;  // selector "B"
    m_page.recv_eeprom(QStringLiteral("UDP"), b, true);
    EXPECT_FALSE(child<QGroupBox>("groupBox_3")->isVisibleTo(&m_page));
    EXPECT_FALSE(child<QFrame>("frame_postway")->isVisibleTo(&m_page));
    EXPECT_EQ(child<QComboBox>("cb_pnpidx")->currentText(), "B");
}

TEST_F(PageInfoTest, UartBlockWithoutModelAsksForItFirst) {
    QStringList asked;
    m_page.setModelQuestion([&](const QString& reported) {
        asked << reported;
        return QStringLiteral("TQX-35(45)KRN-2");
    });
    EEpromV101 b = networkBlock("");
    b.rpm = 300;
    m_page.setBaudRate(256000);
    m_page.recv_eeprom(QStringLiteral("UART"), b);
    EXPECT_EQ(asked, QStringList{QString()});
    EXPECT_EQ(m_page.lidarType(), "TQX-35(45)KRN-2");
    EXPECT_EQ(child<QComboBox>("cb_rpm")->count(), 2);  // 300|600
    EXPECT_EQ(child<QComboBox>("cb_rpm")->currentText(), "300");
    EXPECT_TRUE(child<QFrame>("frame_baudset")->isVisibleTo(&m_page));
    EXPECT_EQ(child<QComboBox>("cb_baud")->currentText(), "256000");
    EXPECT_FALSE(child<QGroupBox>("groupBox_3")->isVisibleTo(&m_page));
    EXPECT_FALSE(child<QLineEdit>("le_id")->isEnabled());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PageInfoTest, BaudSettingShownOnlyForModelsWithAChoice) {
    const struct {
        const char* model;
        bool baudShown;
        bool postwayShown;
    } cases[] = {
        {"TQX-H400-A4", false, true},  // 1500000 only
        {"TQX-H400-A", true, true},    // 230400|460800|921600
        {"TQX70K3", true, false},      // compact serial name of TQX-70K-3
    };
    for (const auto& c : cases) {
        m_page.setBaudRate(921600);
        m_page.recv_eeprom(QStringLiteral("UART"), networkBlock(c.model));
        EXPECT_EQ(child<QFrame>("frame_baudset")->isVisibleTo(&m_page), c.baudShown) << c.model;
        EXPECT_EQ(child<QFrame>("frame_postway")->isVisibleTo(&m_page), c.postwayShown) << c.model;
    }
    EXPECT_EQ(m_page.lidarType(), "TQX-70K-3");
    EXPECT_TRUE(m_messages.empty());
}

// ---------------------------------------------------------------- command texts

TEST_F(PageInfoTest, UploadDestinationFollowsTheSameSegmentRule) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    const struct {
        const char* destination;
        const char* sent;   // nullptr: refused
        const char* error;  // text of the refusal
    } cases[] = {
        {"192.168.1.50", "LSDST:192.168.001.050 02368H", nullptr},
        {"224.1.1.1", "LSDST:224.001.001.001 02368H", nullptr},  // multicast may lie anywhere
        {"239.0.0.9", "LSDST:239.000.000.009 02368H", nullptr},
        {"192.168.2.5", nullptr, "Lidar ip and upload ip must be on the same network segment!"},
        {"192.168.1", nullptr, "set udp address inlegal!"},
    };
    for (const auto& c : cases) {
        m_set.clear();
        m_data.clear();
        child<QLineEdit>("le_srvip")->setText(QString::fromLatin1(c.destination));
        click("pb_dst");
        if (c.sent) {
            EXPECT_EQ(sent(), QStringList{QString::fromLatin1(c.sent)}) << c.destination;
            EXPECT_EQ(m_data.count(), 0) << c.destination;
        } else {
            EXPECT_EQ(m_set.count(), 0) << c.destination;
            ASSERT_EQ(m_data.count(), 1) << c.destination;
            EXPECT_EQ(m_data.at(0).at(0).toInt(), 1);
            EXPECT_EQ(QString::fromLocal8Bit(m_data.at(0).at(1).toByteArray()), QString::fromLatin1(c.error));
        }
    }
    // The scanner's own address with mask and gateway.
    m_set.clear();
    click("pb_udp");
    EXPECT_EQ(sent(), QStringList{"LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 02111H"});
}

TEST_F(PageInfoTest, OutputMatrixBytesFollowButtonIds) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    QSignalSpy status(&m_page, &Page_Info::sig_synstatus);
    for (QAbstractButton* box : m_page.outputMatrix()->buttons()) box->setChecked(true);
    click("pb_out");
    EXPECT_EQ(sent(), QStringList{"LSOUT:0f0f0f0f0f0f0f0f0f0f0f0f00000000H"});
    ASSERT_EQ(m_read.count(), 1);
    EXPECT_EQ(m_read.at(0).at(0).toString(), "xxxxxx");
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(1).toInt(), 2);

    // Box 4k + j is bit j of byte k.
    for (QAbstractButton* box : m_page.outputMatrix()->buttons()) box->setChecked(false);
    m_page.outputMatrix()->button(4 * 3 + 2)->setChecked(true);
    m_page.outputMatrix()->button(4 * 11 + 0)->setChecked(true);
    m_set.clear();
    click("pb_out");
    EXPECT_EQ(sent(), QStringList{"LSOUT:00000004000000000000000100000000H"});
}

TEST_F(PageInfoTest, PnpTextCarriesOutputsKindAndBoxSelector) {
    EEpromV101 b = networkBlock();
    b.pnpBits = 0x05;  // outputs 1 and 3 on, PNP
    m_page.recv_eeprom(QStringLiteral("UDP"), b);
    click("pb_pnp");
    b.pnpBits = 0x85;
    reinterpret_cast<uint8_t*>(&b)[43] = 0x02;
    m_page.recv_eeprom(QStringLiteral("UDP"), b, true);
    click("pb_pnp");
    EXPECT_EQ(sent(), (QStringList{"LSPNP:10100000H", "LSPNP:10100001BH"}));
}

TEST_F(PageInfoTest, EachControlSendsItsCommandOnItsPath) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    child<QComboBox>("cb_rpm")->setCurrentText(QStringLiteral("1200"));
    click("pb_setrun");
    click("pb_did");
    click("pb_pst");
    click("pb_fir");
    click("pb_cir");
    click("pb_filterFactor");
    click("pb_zone_dist_thr");
    child<QCheckBox>("cb_filter")->click();  // checked -> off
    child<QCheckBox>("cb_smooth")->click();  // off -> on
    child<QCheckBox>("cb_target_fix")->click();
    EXPECT_EQ(sent(), (QStringList{"LSRPM:1200H", "LSDID:77H", "LSPST:2H", "LSFIR:3H", "LSCIR:12H",
                                   "LSAF:25H", "LSZIR:1,300H", "LSDSW:0H", "LSSMT:1H", "LSTFX:0H"}));
    EXPECT_EQ(m_control.count(), 0);

    // Serial scanners take speed, filter and smoothing as bare text.
    m_set.clear();
    m_page.recv_eeprom(QStringLiteral("UART"), networkBlock("TQX-H400-A"));
    click("pb_setrun");
    child<QCheckBox>("cb_filter")->click();
    child<QCheckBox>("cb_smooth")->click();
    child<QComboBox>("cb_baud")->setCurrentText(QStringLiteral("460800"));
    click("pb_baud");
    QStringList control;
    for (const auto& args : m_control) control << args.at(0).toString();
    EXPECT_EQ(control, (QStringList{"LSRPM:900H", "LFFF0H", "LSSS1H", "LSBPS:460800H"}));
    EXPECT_EQ(m_set.count(), 0);
}

TEST_F(PageInfoTest, FieldsNeverSendTextTheirCheckRefuses) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    const struct {
        const char* field;
        const char* button;
        const char* text;
        const char* sent;  // nullptr: refused with a message
    } cases[] = {
        {"le_fir", "pb_fir", "", nullptr},
        {"le_fir", "pb_fir", "0", nullptr},
        {"le_fir", "pb_fir", "11", nullptr},
        {"le_fir", "pb_fir", "10", "LSFIR:10H"},
        {"le_cir", "pb_cir", "100", nullptr},
        {"le_cir", "pb_cir", "99", "LSCIR:99H"},
        {"le_filterFactor", "pb_filterFactor", "201", nullptr},
        {"le_filterFactor", "pb_filterFactor", "0", "LSAF:0H"},
        {"le_id", "pb_did", "abc", nullptr},
        {"le_id", "pb_did", "2147483648", nullptr},
        {"le_id", "pb_did", "2147483647", "LSDID:2147483647H"},
        {"le_zone_dist_thr", "pb_zone_dist_thr", "-5", nullptr},
    };
    for (const auto& c : cases) {
        m_set.clear();
        m_messages.clear();
        child<QLineEdit>(c.field)->setText(QString::fromLatin1(c.text));
        click(c.button);
        if (c.sent) {
            EXPECT_EQ(sent(), QStringList{QString::fromLatin1(c.sent)}) << c.field << " " << c.text;
            EXPECT_TRUE(m_messages.empty()) << c.field << " " << c.text;
        } else {
            EXPECT_EQ(m_set.count(), 0) << c.field << " " << c.text;
            ASSERT_EQ(m_messages.size(), 1u) << c.field << " " << c.text;
            EXPECT_EQ(m_messages[0].text, "Setting number parameter error!");
        }
    }
}

TEST_F(PageInfoTest, RotationSendsDirectionAndEndsItsWait) {
    m_page.recv_eeprom(QStringLiteral("UDP"), networkBlock());
    QSignalSpy wait(&m_page, &Page_Info::sig_wait);
    QSignalSpy reset(&m_page, &Page_Info::sig_resetSpan);
    child<QCheckBox>("cb_rotate")->click();
    EXPECT_EQ(sent(), QStringList{"LSCCW:1H"});
    ASSERT_EQ(m_data.count(), 1);
    EXPECT_EQ(m_data.at(0).at(0).toInt(), 15);
    EXPECT_EQ(m_data.at(0).at(1).toByteArray(), "1");
    ASSERT_EQ(wait.count(), 1);
    EXPECT_TRUE(wait.at(0).at(0).toBool());
    ASSERT_TRUE(reset.wait(5000));
    ASSERT_TRUE(testsupport::waitUntil([&] { return wait.count() == 2; }));
    EXPECT_FALSE(wait.at(1).at(0).toBool());
}

TEST_F(PageInfoTest, ZoneSwitchingSetsThenReadsBack) {
    m_page.setIOVisible(true, 1);
    EXPECT_TRUE(child<QFrame>("frame_zonectrl")->isVisibleTo(&m_page));
    EXPECT_EQ(child<QComboBox>("cb_zonectrl")->currentIndex(), 1);
    child<QComboBox>("cb_zonectrl")->setCurrentIndex(0);
    click("pb_zonectrl");
    EXPECT_EQ(sent(), QStringList{"LSZTP:0H"});
    ASSERT_EQ(m_read.count(), 1);
    EXPECT_EQ(m_read.at(0).at(0).toString(), "LSZTP:0H");
    m_page.setIOVisible(false, -1);
    EXPECT_FALSE(child<QGroupBox>("groupBox_5")->isVisibleTo(&m_page));
    EXPECT_FALSE(child<QFrame>("frame_zonectrl")->isVisibleTo(&m_page));
}

// ---------------------------------------------------------------- rights

TEST_F(PageInfoTest, ChangesNeedAConnectionAndALogin) {
    const char* const kProtected[] = {"groupBox", "groupBox_2", "groupBox_3", "groupBox_5", "groupBox_6"};
    const struct {
        bool connected;
        int level;
        bool editable;
        bool refreshable;
    } cases[] = {
        {false, 0, false, false}, {false, 2, false, false}, {true, 0, false, true},
        {true, 1, true, true},    {true, 2, true, true},
    };
    for (const auto& c : cases) {
        m_page.setConnected(c.connected);
        m_page.setRightLevel(c.level);
        for (const char* group : kProtected)
            EXPECT_EQ(child<QGroupBox>(group)->isEnabled(), c.editable)
                << group << " connected " << c.connected << " level " << c.level;
        EXPECT_EQ(child<QGroupBox>("groupBox_4")->isEnabled(), c.refreshable);
    }
}

TEST_F(PageInfoTest, SerialStateChecksBoxesWithoutSending) {
    m_page.recv_uartState(true, false);
    EXPECT_TRUE(child<QCheckBox>("cb_filter")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cb_smooth")->isChecked());
    m_page.recv_uartState(false, true);
    EXPECT_FALSE(child<QCheckBox>("cb_filter")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cb_smooth")->isChecked());
    EXPECT_EQ(m_set.count() + m_control.count(), 0);
}
