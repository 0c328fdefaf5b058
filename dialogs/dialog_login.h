#pragma once
// Dialog_Login: logs in to one of the two built-in accounts and grants its
// right level (0 none, 1 administrator, 2 super administrator), logs out, and
// remembers the login on this computer (login_store.h). GUI thread only.
//
// The level leaves as sig_data(17, "0" | "1" | "2"), which the main window
// takes as message type 17. The owner calls setStoredLogin before showing
// the dialog so it opens in the state of the current login.

#include <QByteArray>
#include <QDialog>
#include <QString>

namespace Ui {
class Dialog_Login;
}

class Dialog_Login : public QDialog {
    Q_OBJECT

public:
    explicit Dialog_Login(QWidget* parent = nullptr);
    ~Dialog_Login() override;

    // save / autoLogin: the remembered settings; loginText: the decrypted
    // remembered text ("account&password"), put into the fields when `save`
    // is set and it has exactly two parts; level > 0: open logged in.
    void setStoredLogin(bool save, bool autoLogin, QString loginText, int level);
    bool isLoggedIn() const { return m_level > 0; }
    int level() const { return m_level; }

public slots:
    void on_pb_login_clicked();
    void on_cb_auto_clicked(bool checked);
    void on_cb_save_clicked(bool checked);

signals:
    void sig_data(int type, QByteArray data);

protected:
    void changeEvent(QEvent* event) override;

private:
    enum class Info { None, Level, Mismatch, NotRemembered };
    void setLoggedIn(int level);
    void setLoggedOut();
    void setInputsEnabled(bool enabled);
    void updateTexts();

    Ui::Dialog_Login* ui;
    int m_level = 0;
    bool m_failed = false;
    Info m_info = Info::None;
};
