#pragma once
// Translation context of the report's texts ("CommissioningReport").

#include <QCoreApplication>

struct CommissioningReport {
    Q_DECLARE_TR_FUNCTIONS(CommissioningReport)
};
