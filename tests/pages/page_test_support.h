#pragma once
// Shared helpers of the device list and home page tests: answering the
// modal warning boxes the pages open, and a scratch settings file.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <memory>

#include "settings.h"

namespace pagetest {

// What the operator saw in a warning box.
struct SeenBox {
    int count = 0;
    QString title;
    QString text;
    QStringList texts;  // every text shown, in order
};

// Answers every modal message box that opens while `this` lives with
// `button`, noting what it showed. Polls from the event loop the box runs.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton button) : m_button(button) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            ++seen.count;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.texts << box->text();
            if (QAbstractButton* b = box->button(m_button))
                b->click();
            else
                box->reject();
        });
        m_timer.start(5);
    }
    SeenBox seen;

private:
    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};

// Points the process settings at an empty scratch directory for one test.
class ScratchSettings {
public:
    ScratchSettings() { Settings::setDirectoryForTesting(m_dir.path().toStdString()); }
    Settings& settings() { return Settings::instance(); }

private:
    QTemporaryDir m_dir;
};

#ifdef VANTREL_QM_DIR
// Installs one compiled catalogue ("Chinese" or "English") for the life of
// `this`; `loaded` tells whether the .qm was found.
class InstalledCatalogue {
public:
    explicit InstalledCatalogue(const QString& language) {
        loaded = m_translator.load(QStringLiteral(VANTREL_QM_DIR "/%1.qm").arg(language));
        if (loaded) QCoreApplication::installTranslator(&m_translator);
    }
    ~InstalledCatalogue() { QCoreApplication::removeTranslator(&m_translator); }
    InstalledCatalogue(const InstalledCatalogue&) = delete;
    InstalledCatalogue& operator=(const InstalledCatalogue&) = delete;
    bool loaded = false;

private:
    QTranslator m_translator;
};
#endif

}  // namespace pagetest
