// Writes the seed corpora of the fuzz targets: real messages as the scanner
// simulator sends them (fans of every packet family, replies, records,
// heartbeats, zone transfer answers), real files (zone images, parameter
// files, firmware images, a settings file) and the command-line tool's own
// inputs. Run it on purpose to renew the seeds:
//
//   cmake --build build --target make_fuzz_seeds
//   build/fuzz/make_fuzz_seeds tests/data/fuzz
//
// Only files named seed-* are written; inputs kept from fuzzer findings
// (finding-*) are left alone.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <memory>
#include <vector>

#include "box_protocol.h"
#include "command_frame.h"
#include "crc32.h"
#include "device_state.h"
#include "firmware_image.h"
#include "frame_splitter.h"
#include "heartbeat.h"
#include "le_bytes.h"
#include "packet_encoders.h"
#include "param_file.h"
#include "sim_options.h"
#include "stream_generator.h"
#include "zone_image.h"
#include "zone_json.h"
#include "zone_store.h"

namespace {

QString g_root;
int g_written = 0;

void write(const char* target, const char* name, const QByteArray& bytes) {
    QDir().mkpath(g_root + '/' + target);
    QFile f(g_root + '/' + target + "/seed-" + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    ++g_written;
}

QByteArray bytesOf(const void* p, size_t n) {
    return QByteArray(static_cast<const char*>(p), int(n));
}

// Three revolutions and two fans of the given family, as the scanner streams
// them: enough for playback to find the boundary and complete revolutions.
QByteArray revolutions(sim::StreamFormat format, int fanDegrees) {
    sim::StreamGenerator generator(format, fanDegrees, 7);
    QByteArray out;
    const int fans = 3 * generator.fansPerRevolution() + 2;
    for (int i = 0; i < fans; ++i) {
        sim::FanContext ctx;
        ctx.epochMicros = 1700000000000000LL + i * 10000;
        ctx.sceneSeconds = i * 0.01;
        for (const QByteArray& packet : generator.fan(uint64_t(i), ctx)) out += packet;
    }
    return out;
}

void streamSeeds() {
    write("stream", "facf", revolutions(sim::StreamFormat::Facf, 90));
    write("stream", "face", revolutions(sim::StreamFormat::Face, 36));
    write("stream", "fadf", revolutions(sim::StreamFormat::Fadf, 90));
    write("stream", "fa9d", revolutions(sim::StreamFormat::Fa9d, 90));
    write("stream", "fa99", revolutions(sim::StreamFormat::Fa99, 90));
    write("stream", "faaa", revolutions(sim::StreamFormat::Faaa, 90));
    write("stream", "fac7", revolutions(sim::StreamFormat::Fac7, 90));

    // Everything but fans: records, status packet, framed replies and a text line.
    sim::SimOptions options;
    sim::DeviceState state(options);
    sim::StateRecord record = state.stateRecord(3);
    QByteArray replies =
        sim::encodeLmsg(record) + sim::encodeAmRecord(record) + sim::encodeStatusPacket(0x03);
    replies += sim::encodeReplyFrame(GS_PACK, 0x1111, state.blockBytes());
    replies += sim::encodeReplyFrame(S_PACK, 0x2222, QByteArray("OK"));
    replies += sim::encodeReplyFrame(S_PACK, 0x2223, QByteArray("NG"));
    replies += sim::encodeReplyFrame(C_PACK, 0x3333, QByteArray("LiDAR start"));
    replies += sim::encodeReplyFrame(KEEPALIVE_PACK, 0x4444, QByteArray(32, '\0'));
    replies += QByteArray("\x01\x02SRPM:0600\r\n", 14);
    write("stream", "replies", replies);

    ZoneStore zones;
    const std::vector<uint8_t> query = zone_read_request(kZoneSizeQuery, 0);
    QByteArray zoneReplies;
    for (const QByteArray& r : zones.handle(ZONE_READ_PACK, 0x5555, bytesOf(query.data(), query.size())))
        zoneReplies += r;
    write("stream", "zone-size-answer", zoneReplies);
}

void legacySeeds() {
    QByteArray flags(1, char(0x03));  // millimetres, energy bits
    write("legacy", "face", flags + revolutions(sim::StreamFormat::Legacy, 36));
    write("legacy", "centimetres", QByteArray(1, '\0') + revolutions(sim::StreamFormat::Legacy, 36));
}

void heartbeatSeeds() {
    sim::SimOptions options;
    options.udpAddress = QStringLiteral("127.0.0.2");
    options.udpPort = 6543;
    sim::DeviceState state(options);
    write("heartbeat", "status112",
          sim::buildHeartbeat(sim::HeartbeatKind::Status112, state, sim::HeartbeatLink::Udp));
    write("heartbeat", "heart80",
          sim::buildHeartbeat(sim::HeartbeatKind::Short80, state, sim::HeartbeatLink::Udp));
    write("heartbeat", "heart60",
          sim::buildHeartbeat(sim::HeartbeatKind::Short60, state, sim::HeartbeatLink::Udp));
    QByteArray box(312, '\0');
    box.replace(0, 11, "192.168.1.5");
    put_le32(reinterpret_cast<uint8_t*>(box.data()) + 304, 1);
    write("heartbeat", "box312", box);
}

// The algorithm box: its status datagram, a reply frame, reply bodies and a typed row.
void boxSeeds() {
    BoxStatus status;
    status.ip = "192.168.1.5";
    status.mask = "255.255.255.0";
    status.gateway = "192.168.1.1";
    status.scanners = {{"192.168.1.10", 2, 0x0010}, {"192.168.1.11", 3, 0x0400}};
    const std::vector<uint8_t> datagram = encode_box_status(status);
    write("box", "status312", bytesOf(datagram.data(), datagram.size()));
    const char gets[] = "LSGETS:192.168.1.10 2368 0|192.168.1.11 2368 1";
    const std::vector<uint8_t> reply = encode_box_reply(7, gets);
    write("box", "reply-gets", bytesOf(reply.data(), reply.size()));
    write("box", "gets", gets);
    write("box", "nets", "LSNETS:192.168.1.5 255.255.255.0 192.168.1.1");
    write("box", "row", "192.168.1.10:2368");
}

// The replies a scanner gives to the first requests of a read and a write.
void zoneReplySeeds() {
    ZoneStore store;
    auto ask = [&](uint16_t mode, const std::vector<uint8_t>& body) {
        QByteArray out;
        for (const QByteArray& r : store.handle(mode, 0x1234, bytesOf(body.data(), body.size()))) out += r;
        return out;
    };
    QByteArray read(1, '\0');
    read += ask(ZONE_READ_PACK, zone_read_request(kZoneSizeQuery, 0));
    read += ask(ZONE_READ_PACK, zone_read_request(0, kZonePieceSize));
    read += ask(ZONE_READ_PACK, zone_read_request(kZonePieceSize, kZonePieceSize));
    write("zone_reply", "read-raw", read);

    const QByteArray image = store.image();
    uint8_t erase[8];
    put_le32(erase, kZoneDefSize);
    put_le32(erase + 4, crc32_words(image.constData(), kZoneDefSize / 4));
    QByteArray written(1, '\x01');
    written += ask(ZONE_WRITE_PACK, zone_write_request(kZoneErase, 0, erase, sizeof erase));
    written += ask(ZONE_WRITE_PACK,
                   zone_write_request(0, kZonePieceSize, reinterpret_cast<const uint8_t*>(image.constData()),
                                      kZonePieceSize));
    write("zone_reply", "write-raw", written);

    // Scripts of clean answers for a whole read and a whole write.
    write("zone_reply", "read-script", QByteArray(1, '\x02') + QByteArray(kZonePieceCount + 2, '\0'));
    write("zone_reply", "write-script", QByteArray(1, '\x03') + QByteArray(kZonePieceCount + 3, '\0'));
}

// One entry of each shape in zones 0 to 3.
zones sampleList() {
    zones list;
    auto add = [&](int type, int zone, int kind, std::vector<ZonePoint> points) {
        ZoneEntry& e = list.entries[list.count++];
        e.type = type;
        e.zoneId = zone;
        e.kind = kind;
        e.pointCount = int(points.size());
        for (size_t i = 0; i < points.size(); ++i) e.points[i] = points[i];
    };
    add(ZoneShapePolygon, 0, ZoneKindAlarm, {{-500, 500}, {500, 500}, {0, 1500}});
    add(ZoneShapeRectangle, 1, ZoneKindWarning, {{200, -800}, {1800, 800}});
    add(ZoneShapeEllipse, 2, ZoneKindObservation, {{0, 2000}, {1200, 800}});
    add(ZoneShapeSector, 3, ZoneKindAlarm, {{3500, 100}, {3000, 300}});
    add(ZoneShapeFilter, 0, ZoneKindAlarm, {{-100, 900}, {100, 900}, {100, 1100}, {-100, 1100}});
    return list;
}

void zoneImageSeeds(const ZoneDef& image, const ZoneDef& mirrored) {
    const size_t front = offsetof(ZoneDef, tables);
    write("zone_image", "shapes", QByteArray(1, '\0') + bytesOf(&image, front));
    write("zone_image", "shapes-mirrored", QByteArray(1, '\x01') + bytesOf(&mirrored, front));
}

void paramFileSeeds(const ZoneDef& image) {
    sim::SimOptions options;
    sim::DeviceState state(options);
    const QString dir = QDir::tempPath();
    auto writeVia = [&](const char* name, const uint8_t* zone, const EEpromV101* block) {
        const QString path = dir + QStringLiteral("/vantrel-seed.lidar");
        if (!write_param_file(path.toStdString(), zone, block)) std::exit(1);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        write("param_file", name, f.readAll());
        f.remove();
    };
    writeVia("block", nullptr, &state.block());
    writeVia("zone-and-block", reinterpret_cast<const uint8_t*>(&image), &state.block());
}

void firmwareSeeds() {
    std::vector<uint8_t> payload(1000);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 13);
    const std::vector<uint8_t> image = pack_firmware_image(payload.data(), payload.size());
    write("firmware", "image", QByteArray(1, '\0') + bytesOf(image.data(), image.size()));
    // UDP: every wait readable, every answer the right echo with status 0.
    write("firmware", "udp-clean", QByteArray(1, '\x01') + QByteArray(24, '\0'));
    // Serial: handshake, acknowledgement, 'C', one ACK per block, the ACK of the end.
    QByteArray serial(1, '\x02');
    for (const char* chunk : {"LFWUQH", "FWUI OK", "C", "\x06", "\x06", "\x06"}) {
        const QByteArray text(chunk);
        serial += char(text.size());
        serial += text;
    }
    write("firmware", "serial-clean", serial);
}

void settingsSeeds() {
    const QByteArray value =
        "Time:2024-03-01 10:00:00.000|Model: |Type:UDP|Info:192.168.1.10:2368|Remote:192.168.1.88:6543";
    const QByteArray ini =
        "[Standard]\nLanguage = English\nLogpath = /tmp/logs\nUpgradePath = /home/user/fw.bin\n"
        "[Login]\nSavePasswd = 1\nAutoLogin = 0\nPassword = 00ff11ee\n"
        "[History]\n"
        "history0 = Time:2024-03-01 10:00:00.000|Model: "
        "|Type:UDP|Info:192.168.1.10:2368|Remote:192.168.1.88:6543\n"
        "history1 = Time:2024-03-01 09:00:00.000|Model: |Type:UART|Info:/dev/ttyUSB0:460800|Remote:\n"
        "history2 = Time:2024-02-01 09:00:00.000|Model: |Type:TCP|Info:10.0.0.7:3000|Remote:10.0.0.1:3001\n"
        "[Mapview]\nNames = near|mid|far\nValues = 5000|10000|30000\n";
    write("settings", "file", QByteArray(1, char(value.size())) + value + ini);
}

void cliSeeds() {
    write("cli_zones", "shapes", QByteArray::fromStdString(zones_to_json(sampleList())));
    write("cli_zones", "bare-array",
          "[{\"shape\": \"sector\", \"zone\": 15, \"kind\": \"warning\", \"points\": [[100, 3500], [4000.5, "
          "20]]}]");
    const char* links[] = {"udp://127.0.0.2:6543", "udp://127.0.0.2:6543?local=7000", "tcp://127.0.0.2:6543",
                           "uart:///dev/ttyUSB0?baud=460800", "vpc:///dev/ttyACM0"};
    const char* names[] = {"udp", "udp-local", "tcp", "uart", "vpc"};
    for (int i = 0; i < 5; ++i) write("cli_link", names[i], links[i]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR   (normally tests/data/fuzz)\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    streamSeeds();
    legacySeeds();
    heartbeatSeeds();
    boxSeeds();
    zoneReplySeeds();
    firmwareSeeds();
    settingsSeeds();
    cliSeeds();
    // The rasteriser takes a few seconds per image.
    auto image = std::make_unique<ZoneDef>();
    auto mirrored = std::make_unique<ZoneDef>();
    const zones list = sampleList();
    if (zones_to_zonedef(list, false, 1700000000, *image) != kZoneListOk ||
        zones_to_zonedef(list, true, 1700000000, *mirrored) != kZoneListOk) {
        std::fprintf(stderr, "the sample zone list does not pack\n");
        return 1;
    }
    zoneImageSeeds(*image, *mirrored);
    paramFileSeeds(*image);
    std::printf("%d seed files written under %s\n", g_written, argv[1]);
    return 0;
}
