#pragma once
// Asks who hands a scanner over and where, before a commissioning report is
// written. GUI thread only.

#include <QDialog>
#include <QString>
#include <functional>

namespace Ui {
class Dialog_Report;
}

class Dialog_Report : public QDialog {
    Q_OBJECT

public:
    explicit Dialog_Report(QWidget* parent = nullptr);
    ~Dialog_Report() override;

    void setValues(const QString& engineer, const QString& site);
    QString engineer() const;
    QString site() const;

    // Answers ask() instead of a person while set (tests, unattended runs):
    // gets the proposed texts, changes them, returns false to cancel.
    using AnswerHook = std::function<bool(QString* engineer, QString* site)>;
    static void setAnswerHook(AnswerHook hook);

    // Shows the dialog modally with the proposed texts; true with the texts
    // entered, false when cancelled.
    static bool ask(QWidget* parent, QString* engineer, QString* site);

private:
    Ui::Dialog_Report* ui;
};
