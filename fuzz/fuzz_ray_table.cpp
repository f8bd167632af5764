// Ray-path tables: an index file ("OV0.INX") and a data file ("OV0.BIN").
// The input holds both: its first byte is the number of 4-byte index entries
// that follow, the rest is the data file.
#include "FuzzSupport.h"
#include "seismology/RayTable.h"

#include <cstring>

static void visitAll(RayTable& table, int t, const PhaseSelection& settings) {
    table.forEachRayRecord(t, settings, [](const RayRecordHeader& h, const RayPoint* points, int count) {
        FUZZ_CHECK(std::strlen(h.phase) <= 12 && count > 0 && count <= 65535 && count == h.pointCount);
        // Touch every point handed over: ASan reports any that lie outside.
        long sum = 0;
        for (int n = 0; n < count; ++n) sum += points[n].along + points[n].across;
        (void)sum;
    });
}

FUZZ_TARGET(fuzzRayTable)(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t indexBytes = std::min<std::size_t>(std::size_t(data[0]) * 4, size - 1);
    static const std::string indexPath = fuzz::scratchPath("OV0.INX");
    static const std::string dataPath = fuzz::scratchPath("OV0.BIN");
    fuzz::writeBytes(indexPath, data + 1, indexBytes);
    fuzz::writeBytes(dataPath, data + 1 + indexBytes, size - 1 - indexBytes);

    RayTable table;
    FUZZ_CHECK(table.openFiles(indexPath, dataPath) && table.indexCount() == indexBytes / 4);
    const int step = table.timeStep();
    FUZZ_CHECK(step >= 0 && step <= 65535);

    static const std::string names[] = {"P*", "SKS", "S"};
    static const PhaseSelection all, some{false, false, false, true, names};   // every phase, the names only
    for (int t : {-7, 0, 1, 32767, 32768, 65537, 1 << 30}) visitAll(table, t, all);
    if (step > 0) {
        for (std::size_t k = 0; k <= table.indexCount(); ++k) {
            const long t = static_cast<long>(k) * step + step / 2;
            if (t > 32767) break;
            visitAll(table, static_cast<int>(t), (k % 2) ? all : some);
        }
    }
    // Reopening the same table object (as the next run does) starts afresh.
    FUZZ_CHECK(table.openFiles(indexPath, dataPath));
    visitAll(table, step, all);
    table.close();
    FUZZ_CHECK(!table.isOpen());
    return 0;
}
