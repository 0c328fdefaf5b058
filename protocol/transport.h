#pragma once
// The thin layer over the operating system that opens, configures, reads,
// writes and closes the three kinds of scanner link (UDP, TCP, serial), lists
// the serial ports, checks that a host answers ping and looks up a MAC address.
//
// A link handle is a plain int: a socket descriptor or an open serial port
// descriptor; a value <= 0 means "not open" (so no opener returns 0, even
// when standard input is closed and the system offers descriptor 0). Whoever opens a handle owns it and
// closes it with close_link(); copies may be handed to other threads, one of
// which reads while another writes (the kernel serialises the directions).
//
// Every function here keeps no state and may be called from any thread. None
// throws; all report by result value. Ports are host-order integers, addresses
// are dotted IPv4 texts, byte counts are plain ints, time-outs are milliseconds.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------- serial ports

// Serial ports present on this machine, as short names ("ttyUSB0", "ttyACM1",
// "ttyS0"), sorted by name with numeric suffixes in numeric order. Only ports
// with a real device behind them are listed. When the environment variable
// VANTREL_SERIAL_PORTS is set, its colon-separated names or paths are the list
// instead, in the order given (empty entries ignored).
std::vector<std::string> list_serial_ports();

// Full device path for a port name: an absolute path is kept as it is, any
// other name is taken relative to "/dev/".
std::string serial_device_path(const std::string& name);

// Opens a serial port for reading and writing at `baud` (any positive rate,
// standard or not), 8N1, raw bytes, DTR and RTS asserted, no flow control.
// Reads never wait: they return at once with what is buffered. Writes block
// until the bytes are handed to the driver.
// Result: the handle (> 0); 0 when the port cannot be opened (for example no
// such device); -2 when the line settings are refused; -1 when the read/write
// behaviour cannot be set. The port is closed again on -1 and -2.
int open_serial(const std::string& name, int baud);

// Re-applies the line settings of open_serial() with a new baud rate.
// 0 on success, -2 when refused, -1 for a handle <= 0.
int set_serial_baud(int handle, int baud);

// The baud rate the port is set to now (as the driver reports it), or -1.
int serial_baud(int handle);

// One non-blocking read of at most `max` bytes into `buffer`. Returns the
// number of bytes read, 0 when none were waiting, -1 on a read error (also for
// a handle <= 0 or a vanished device).
int serial_read(int handle, void* buffer, int max);

// Reads into buffer + offset until `want` bytes have arrived, 200 ms have
// passed, or three reads in a row returned nothing (1 ms pause after each).
// Failed reads are retried like empty ones. Writes at most `want` bytes.
// Returns the number of bytes read (0 at once for want <= 0).
int serial_read_timed(int handle, void* buffer, int offset, int want);

// Writes `n` bytes; returns the number written, 0 on failure.
int serial_write(int handle, const void* data, int n);

// Closes a socket (isSocket = true; blocked readers on other threads are woken)
// or a serial handle. Handles <= 0 are ignored. Always returns 0.
int close_link(int handle, bool isSocket);

// ---------------------------------------------------------------- sockets

// Waits until the handle (socket or serial) has bytes to read.
// 1 readable (or closed by the peer), 0 time-out, -1 error or handle <= 0.
int wait_readable(int handle, int timeoutMs);

// UDP socket bound to all local addresses, address reuse on. When `port` is
// in use the next ports are tried, up to port + 100; `actualPort` receives
// the port bound (the one the kernel chose when `port` is 0).
// Result: the socket; -2 when port ... port + 100 are all in use; -1 on any
// other failure (the socket is closed).
int udp_open(int port, int& actualPort);

// Sends one datagram to ip:port. Bytes sent, or -1 (bad address, send error).
int udp_send_to(int sock, const std::string& ip, int port, const void* data, int n);

// Waits up to `timeoutMs` for one datagram and receives at most `max` bytes of
// it (the rest of a longer datagram is discarded). The sender's address and
// port are stored where the pointers are not null.
// Bytes received (> 0), 0 on time-out (or an empty datagram), -1 on error.
int udp_recv(int sock, void* buffer, int max, int timeoutMs, std::string* fromIp = nullptr,
             int* fromPort = nullptr);

// Connect time-out of tcp_connect(ip, port).
constexpr int kTcpConnectTimeoutMs = 3000;

// TCP connection to the IPv4 address ip:port. A host that does not answer
// gives up after `timeoutMs`; so does the attempt, within a few tens of
// milliseconds, once `cancel` (when given) turns true. The socket (blocking)
// or -1.
int tcp_connect(const std::string& ip, int port, int timeoutMs = kTcpConnectTimeoutMs,
                const std::atomic<bool>* cancel = nullptr);

// Sends all `n` bytes on a connected socket; never raises SIGPIPE when the
// peer has gone. Bytes sent (n), or -1 on error.
int tcp_send(int sock, const void* data, int n);

// Waits up to `timeoutMs` and receives at most `max` bytes.
// Bytes received (> 0), 0 on time-out, -1 on error, -2 when the peer closed.
int tcp_recv(int sock, void* buffer, int max, int timeoutMs);

// ---------------------------------------------------------------- ping and MAC

// Sends one ICMP echo request (identifier = process id, sequence 0, 32 bytes
// of 0x45, TTL 64) to `host` (dotted address or name) and waits up to
// `timeoutMs` for the matching echo reply, or a time-exceeded message quoting
// the request, from that address. False on time-out, send failure or a failed
// name lookup.
bool host_answers_ping(const std::string& host, int timeoutMs);

// How host_answers_ping reaches ICMP: an unprivileged ICMP datagram socket when
// the system allows it (net.ipv4.ping_group_range), else a raw socket.
enum class IcmpAccess { Any, Datagram, Raw };

// host_answers_ping through one chosen kind of socket.
// 1 answered, 0 no answer / lookup failed, -1 that kind of socket is not available.
int icmp_echo(const std::string& host, int timeoutMs, IcmpAccess access);

// Hardware address of an IPv4 host from the kernel's neighbour (ARP) table,
// as "aa-bb-cc-dd-ee-ff" (lower case, 17 characters). When the host is not in
// the table yet and is on a directly attached network, resolution is prompted
// and awaited for up to a second. On failure `text` is "SendARP Error:%d" with
// an errno code (ENXIO: no complete entry; others from the system) and the
// result is false.
bool mac_of(const std::string& ip, std::string& text);

// The lookup of mac_of() over a table in the format of /proc/net/arp (header
// line, then "IP HWtype Flags HWaddress Mask Device" rows). Only complete
// entries (flag 0x2) with a non-zero address count. Same results as mac_of.
bool mac_from_arp_table(const std::string& table, const std::string& ip, std::string& text);
