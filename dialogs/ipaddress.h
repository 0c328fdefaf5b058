#pragma once
// IPAddress: an input widget for one IPv4 address, four octet fields with
// dots between them. Typing moves on by itself: a third digit that makes a
// number of 100 or more, or the "." key, goes to the next field; Backspace in
// an (almost) empty field goes back to the previous one.
//
// GUI thread only.

#include <QString>
#include <QWidget>
#include <array>

class QLineEdit;

class IPAddress : public QWidget {
    Q_OBJECT
public:
    explicit IPAddress(QWidget* parent = nullptr);

    // The address as "%1.%2.%3.%4" of the four fields, empty fields included
    // ("10.0.0." while the last one is empty); empty before the first edit.
    QString text() const { return m_ip; }

    QSize sizeHint() const override { return {250, 20}; }
    QSize minimumSizeHint() const override { return {30, 10}; }

public slots:
    // Runs for every edit of one of the four fields.
    void textChanged(const QString& text);
    // Shows a whole address; anything that is not a complete IPv4 address,
    // or the address already shown, changes nothing. The focus stays put.
    void setValue(const QString& text);
    // Empties the four fields and gives the focus to the first.
    void clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int indexOf(const QObject* field) const;
    void focusField(int index);

    std::array<QLineEdit*, 4> m_fields{};
    QString m_ip;
    bool m_showingValue = false;  // setValue is writing the fields
};
