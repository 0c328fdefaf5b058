#include "sim_options.h"

namespace sim {

namespace {

struct FormatName {
    StreamFormat format;
    const char* name;
};

constexpr FormatName kFormats[] = {
    {StreamFormat::Facf, "facf"}, {StreamFormat::Face, "face"},     {StreamFormat::Fadf, "fadf"},
    {StreamFormat::Fa9d, "fa9d"}, {StreamFormat::Fa99, "fa99"},     {StreamFormat::Faaa, "faaa"},
    {StreamFormat::Fac7, "fac7"}, {StreamFormat::Legacy, "legacy"},
};

}  // namespace

bool parseStreamFormat(const QString& text, StreamFormat* out) {
    for (const FormatName& f : kFormats) {
        if (text.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) {
            *out = f.format;
            return true;
        }
    }
    return false;
}

QString streamFormatName(StreamFormat format) {
    for (const FormatName& f : kFormats)
        if (f.format == format) return QLatin1String(f.name);
    return {};
}

StreamFormat effectiveFormat(const SimOptions& options) {
    if (options.formatGiven) return options.format;
    return options.serial == SerialMode::Uart ? StreamFormat::Legacy : StreamFormat::Facf;
}

}  // namespace sim
