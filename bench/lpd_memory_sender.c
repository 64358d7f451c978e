/* lpd_memory_sender: the loopback limit for an LPD client.
 *
 *   lpd_memory_sender ADDRESS QUEUE BYTES [BLOCK [FILE]]
 *
 * Sends one job whose data file is BYTES bytes of memory (no file is read)
 * with blocking sends of BLOCK bytes (default 1 MiB) to the LPD server on
 * port 515 of ADDRESS: what a native client could reach at best against the
 * same receiver. The data is one buffer of BYTES bytes, filled before the
 * job starts, so it comes from memory as a file's pages would, not from a
 * small buffer that stays in the processor's cache. With FILE, the data are
 * the first BYTES bytes of that file, mapped (mmap) rather than read: the
 * best a native client does from a file. Every wait is bounded by
 * a 30 s socket time-out. Built by bench/lpd_throughput.sh with the system's
 * C compiler.
 */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/mman.h>
#include <fcntl.h>
#include <unistd.h>

static int SendAll(int fd, const char* p, size_t cb) {
    while (cb) {
        ssize_t n = send(fd, p, cb, MSG_NOSIGNAL);
        if (n <= 0) return 0;
        p += n;
        cb -= (size_t)n;
    }
    return 1;
}

static int Acked(int fd) {
    char ack = 1;
    return recv(fd, &ack, 1, 0) == 1 && ack == 0;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: lpd_memory_sender ADDRESS QUEUE BYTES [BLOCK]\n");
        return 2;
    }
    unsigned long long size = strtoull(argv[3], NULL, 10);
    size_t block = argc > 4 ? (size_t)strtoull(argv[4], NULL, 10) : 1 << 20;
    if (block == 0) block = 1 << 20;
    char* buf = NULL;
    if (argc > 5) {
        int file = open(argv[5], O_RDONLY);
        void* view = file < 0 || size == 0 ? MAP_FAILED : mmap(NULL, size, PROT_READ, MAP_SHARED, file, 0);
        if (view != MAP_FAILED) buf = view;
    } else {
        buf = malloc(size ? size : 1);
        if (buf) memset(buf, 0x5a, size);
    }
    struct sockaddr_in address = {0};
    address.sin_family = AF_INET;
    address.sin_port = htons(515);
    if (!buf || inet_pton(AF_INET, argv[1], &address.sin_addr) != 1) return 2;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    struct timeval limit = {30, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd, (struct sockaddr*)&address, sizeof address) != 0) {
        perror("lpd_memory_sender: connect");
        return 1;
    }
    char line[512];
    int cb = snprintf(line, sizeof line, "\002%s\n", argv[2]);
    if (!SendAll(fd, line, (size_t)cb) || !Acked(fd)) return 1;
    cb = snprintf(line, sizeof line, "\003%llu dfA001memory\n", size);
    if (!SendAll(fd, line, (size_t)cb) || !Acked(fd)) return 1;
    for (unsigned long long sent = 0; sent < size;) {
        size_t n = size - sent < block ? (size_t)(size - sent) : block;
        if (!SendAll(fd, buf + sent, n)) return 1;
        sent += n;
    }
    if (!SendAll(fd, "", 1) || !Acked(fd)) return 1;
    const char control[] = "Hmemory\nPbench\nfdfA001memory\nUdfA001memory\nNmemory\n";
    cb = snprintf(line, sizeof line, "\002%d cfA001memory\n", (int)(sizeof control - 1));
    if (!SendAll(fd, line, (size_t)cb) || !Acked(fd) || !SendAll(fd, control, sizeof control) || !Acked(fd))
        return 1;
    close(fd);
    return 0;
}
