#include "ipaddress.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// One octet, 0..255.
const char* const kOctetPattern = "(2[0-5]{2}|2[0-4][0-9]|1?[0-9]{1,2})";
const char* const kAddressPattern = R"(((2[0-4]\d|25[0-5]|[01]?\d\d?)\.){3}(2[0-4]\d|25[0-5]|[01]?\d\d?))";

}  // namespace

IPAddress::IPAddress(QWidget* parent) : QWidget(parent) {
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frameIP"));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* validator = new QRegularExpressionValidator(QRegularExpression(QLatin1String(kOctetPattern)), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), frame);
            dot->setAlignment(Qt::AlignCenter);
            row->addWidget(dot);
        }
        auto* field = new QLineEdit(frame);
        field->setObjectName(QStringLiteral("txtIP%1").arg(i + 1));
        field->setAlignment(Qt::AlignCenter);
        field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        field->setValidator(validator);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, &IPAddress::textChanged);
        row->addWidget(field);
        m_fields[size_t(i)] = field;
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(frame);
}

int IPAddress::indexOf(const QObject* field) const {
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == field) return int(i);
    return -1;
}

void IPAddress::focusField(int index) {
    if (index >= 0 && index < int(m_fields.size())) m_fields[size_t(index)]->setFocus();
}

void IPAddress::textChanged(const QString& text) {
    const int index = indexOf(sender());
    // Only typing moves on: an address shown by setValue (a reply from the
    // box) must not pull the focus away from wherever the operator works.
    if (index >= 0 && text.size() == 3 && !m_showingValue) {
        const int value = text.toInt();
        if (value >= 100 && value <= 255) focusField(index + 1);
    }
    m_ip = QStringLiteral("%1.%2.%3.%4")
               .arg(m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text(), m_fields[3]->text());
}

void IPAddress::setValue(const QString& text) {
    static const QRegularExpression address(
        QRegularExpression::anchoredPattern(QLatin1String(kAddressPattern)));
    if (!address.match(text).hasMatch() || text == m_ip) return;
    m_ip = text;
    const QStringList parts = text.split(QLatin1Char('.'));
    m_showingValue = true;
    for (int i = 0; i < 4; ++i) m_fields[size_t(i)]->setText(parts[i]);
    m_showingValue = false;
}

void IPAddress::clear() {
    for (QLineEdit* field : m_fields) field->clear();
    focusField(0);
}

bool IPAddress::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index >= 0 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String("."))
            focusField(index + 1);
        else if (key->key() == Qt::Key_Backspace && m_fields[size_t(index)]->text().size() <= 1)
            focusField(index - 1);
    }
    // The field still receives the key.
    return QWidget::eventFilter(watched, event);
}
