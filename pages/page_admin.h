#pragma once
// Page_Admin: a service window for sending any command text to the connected
// scanner and seeing the replies, and for packing a file into the algorithm
// box's firmware image ("test.bin" in the current directory).
//
// Used by the main window:
//   signal   sig_cmd(int mode, QString cmd) -> SendCmdProc::recv_cmd
//   calls    setLinkType(type) each time the window is opened,
//            addReply(text) with every text reply of the scanner (message type 12).
//
// GUI thread only.

#include <QString>
#include <QWidget>
#include <functional>

class QStandardItemModel;

namespace Ui {
class Page_Admin;
}

class Page_Admin : public QWidget {
    Q_OBJECT

public:
    // Frame modes offered for a command on framed links.
    static constexpr int kModeC = 67;  // C_PACK
    static constexpr int kModeS = 83;  // S_PACK

    explicit Page_Admin(QWidget* parent = nullptr);
    ~Page_Admin() override;

    // "UART" hides the mode selector (bare text goes out); other links offer
    // "C_PACK" and "S_PACK".
    void setLinkType(const QString& type);
    QString linkType() const { return m_linkType; }
    // The reply in the "RETURN" column of a new row below the last.
    void addReply(const QString& text);

    // Replaces the file dialog of the pack step (tests): returns the chosen
    // path, empty for cancel.
    using FileChooser = std::function<QString()>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    QStandardItemModel* model() const { return m_model; }

public slots:
    void on_pb_send_clicked();
    void on_pb_exepack_clicked();

signals:
    void sig_cmd(int mode, QString cmd);

protected:
    void changeEvent(QEvent* event) override;

private:
    void setHeaderLabels();
    void warn(const QString& title, const QString& text);

    Ui::Page_Admin* ui;
    QStandardItemModel* m_model = nullptr;
    QString m_linkType;
    FileChooser m_chooseFile;
};
