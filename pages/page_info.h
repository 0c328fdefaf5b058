#pragma once
// Parameter page: shows the connected scanner's parameter block and sends one
// set command per "set" button through the command sender. Which controls
// are visible depends on the link type and the model (model table). Widgets
// only; GUI thread only. The main window feeds the page and routes its
// signals (commands to the command sender, messages to itself).

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>

#include "eeprom.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace Ui {
class Page_Info;
}

class Page_Info : public QWidget {
    Q_OBJECT

public:
    static constexpr int kStatusRows = 12;  // rows of the output mapping (bytes of outMap)
    static constexpr int kOutputs = 4;      // columns: outputs 1..4

    // Asks the operator which model an unidentified serial scanner is; gets
    // the (empty) identifier it reported and returns the chosen model name.
    using ModelQuestion = std::function<QString(const QString& reported)>;

    explicit Page_Info(QWidget* parent = nullptr);
    ~Page_Info() override;

    // Replaces the question box (tests).
    void setModelQuestion(ModelQuestion question);

    // ---- operations of the main window
    void setBaudRate(int baud);
    int baudRate() const { return m_baudRate; }
    void setZoneSetVisible(bool visible);
    // Shows the output mapping and I/O configuration; zoneCtrl < 0 hides the
    // zone switching control, otherwise it shows that mode (0 hardware, 1 software).
    void setIOVisible(bool shown, int zoneCtrl);
    bool isIOVisible() const { return m_ioShown; }
    // Zone switching mode confirmed by the scanner ("LSZTP:%1H").
    void setZoneSwitching(int mode);
    // Rotation direction shown on the page; sends nothing.
    void setRotate(bool counterClockwise);
    // A scanner is connected (its block arrived) or not.
    void setConnected(bool connected);
    // Login right level 0, 1 or 2: the groups that change the scanner are
    // open only to level 1 and 2, and only while a scanner is connected.
    void setRightLevel(int level);
    int rightLevel() const { return m_rightLevel; }
    QString lidarType() const;
    QString linkType() const { return m_linkType; }
    bool isBoxVariant() const { return m_isBox; }
    // The output mapping check boxes, id 4k + j for status k, output j + 1.
    QButtonGroup* outputMatrix() const { return m_matrix; }

public slots:
    void recv_eeprom(QString type, EEpromV101 eepromv101, bool isBox);
    void recv_eeprom(QString type, EEpromV101 eepromv101);
    void recv_uartState(bool fitter, bool smooth);
    void clickItem(int id);

    void on_pb_setrun_clicked();
    void on_pb_did_clicked();
    void on_pb_udp_clicked();
    void on_pb_dst_clicked();
    void on_pb_pst_clicked();
    void on_cb_target_fix_stateChanged(int arg1);
    void on_cb_rotate_clicked(bool checked);
    void on_cb_filter_clicked(bool checked);
    void on_cb_smooth_clicked(bool checked);
    void on_pb_baud_clicked();
    void on_pb_cir_clicked();
    void on_pb_fir_clicked();
    void on_pb_filterFactor_clicked();
    void on_pb_zone_dist_thr_clicked();
    void on_pb_zonectrl_clicked();
    void on_pb_pnp_clicked();
    void on_pb_out_clicked();
    void on_pb_fresh_clicked();

signals:
    void sig_S_PACK(QString cmd);
    void sig_C_PACK(QString cmd);
    void sig_GS_PACK(QString cmd);
    // 1: an error text to show; 15: new rotation direction "0" or "1".
    void sig_data(int type, QByteArray info);
    void sig_resetSpan();
    void sig_wait(bool flag);
    void sig_synstatus(bool add, int status);

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildMatrix();
    void retranslateMatrix();
    void applyAccess();
    void showCommon(const EEpromV101& b);
    void showIo(const EEpromV101& b);
    void showContinuity(const EEpromV101& b);
    void showFramed(const EEpromV101& b, bool isBox);
    void showUart(const EEpromV101& b);
    // Fills a selector with the '|'-separated values and selects `current`.
    static void fillChoices(QComboBox* box, const QString& values, const QString& current);
    bool fillRpm(const std::string& model, const EEpromV101& b);
    // The number in a validated field, or a message and false.
    bool numberOf(QLineEdit* field, unsigned* value);
    void sendSet(const std::string& cmd);
    void sendSerialAware(const std::string& framed, const std::string& serial);
    void error(const QString& text);

    Ui::Page_Info* ui;
    QButtonGroup* m_matrix = nullptr;
    QVector<QLabel*> m_rowLabels;
    QLabel* m_outputHeading = nullptr;
    ModelQuestion m_modelQuestion;

    QString m_linkType;
    int m_baudRate = 0;
    bool m_isBox = false;
    bool m_ioShown = false;
    bool m_connected = false;
    int m_rightLevel = 0;
};
