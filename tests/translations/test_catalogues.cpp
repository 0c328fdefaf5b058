// Both catalogues must hold every text the program shows. lupdate runs over the
// sources into scratch copies of English.ts and Chinese.ts (the real ones stay
// untouched); any text it adds, or finds unfinished or empty, is listed.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>

namespace {

QStringList cmakeList(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

struct CatalogueScan {
    int liveTexts = 0;
    QStringList incomplete;  // "context: source (why)"
};

// Reads one <message>: its source, whether it counts (not obsolete/vanished)
// and whether its translation is finished and non-empty in every form.
CatalogueScan scanCatalogue(const QString& path) {
    CatalogueScan scan;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        scan.incomplete << QStringLiteral("cannot open %1").arg(path);
        return scan;
    }
    QXmlStreamReader xml(&file);
    QString context, source, type, plain;
    QStringList forms;  // numerus forms, when the message has them
    bool inTranslation = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                type = xml.attributes().value(QLatin1String("type")).toString();
                plain.clear();
                forms.clear();
                inTranslation = true;
            } else if (name == QLatin1String("numerusform") && inTranslation) {
                forms << xml.readElementText();
            }
        } else if (xml.isCharacters() && inTranslation) {
            plain += xml.text();
        } else if (xml.isEndElement() && name == QLatin1String("translation")) {
            inTranslation = false;
            if (type == QLatin1String("obsolete") || type == QLatin1String("vanished")) continue;
            ++scan.liveTexts;
            if (forms.isEmpty()) forms << plain;
            const bool empty = std::any_of(forms.cbegin(), forms.cend(),
                                           [](const QString& f) { return f.trimmed().isEmpty(); });
            const QString why = type == QLatin1String("unfinished") ? QStringLiteral("unfinished")
                                : empty                             ? QStringLiteral("empty")
                                                                    : QString();
            if (!why.isEmpty())
                scan.incomplete << QStringLiteral("%1: \"%2\" (%3)").arg(context, source, why);
        }
    }
    if (xml.hasError()) scan.incomplete << QStringLiteral("%1: %2").arg(path, xml.errorString());
    return scan;
}

}  // namespace

TEST(TranslationCatalogues, EveryTextOfTheSourcesIsTranslatedInBothCatalogues) {
    const QStringList catalogues = cmakeList(VANTREL_TS_FILES);
    const QStringList sourceDirs = cmakeList(VANTREL_TR_SOURCE_DIRS);
    ASSERT_EQ(catalogues.size(), 2);
    ASSERT_FALSE(sourceDirs.isEmpty());
    for (const QString& dir : sourceDirs) ASSERT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    QStringList copies;
    for (const QString& ts : catalogues) {
        const QString copy = scratch.filePath(QFileInfo(ts).fileName());
        ASSERT_TRUE(QFile::copy(ts, copy)) << ts.toStdString();
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        copies << copy;
    }

    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(VANTREL_LUPDATE),
                  QStringList{QStringLiteral("-locations"), QStringLiteral("none")} + sourceDirs +
                      QStringList{QStringLiteral("-ts")} + copies);
    ASSERT_TRUE(lupdate.waitForFinished(120000)) << "lupdate did not finish";
    const QString log = QString::fromUtf8(lupdate.readAll());
    ASSERT_EQ(lupdate.exitStatus(), QProcess::NormalExit) << log.toStdString();
    ASSERT_EQ(lupdate.exitCode(), 0) << log.toStdString();

    for (const QString& copy : copies) {
        const CatalogueScan scan = scanCatalogue(copy);
        EXPECT_GT(scan.liveTexts, 0) << copy.toStdString() << " holds no texts after lupdate";
        EXPECT_TRUE(scan.incomplete.isEmpty())
            << QFileInfo(copy).fileName().toStdString() << " lacks " << scan.incomplete.size()
            << " translation(s); run lupdate on the sources and translate:\n  "
            << scan.incomplete.join(QStringLiteral("\n  ")).toStdString();
    }
}
