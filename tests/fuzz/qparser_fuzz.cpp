// libFuzzer target for the clause scanner: any bytes as a statement, scanned and
// rewritten. Built and run by scripts/fuzz-qparser; the sanitizers report faults.
#include <cstddef>
#include <cstdint>
#include <string>

#include "korin/platform/core/Exception.h"
#include "korin/query/Qparser.h"

using namespace korin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the placements to try; the rest is the statement.
    if (size == 0) return 0;
    const unsigned mode = data[0];
    const std::string sql(reinterpret_cast<const char*>(data + 1), size - 1);
    TQParser p(sql);
    try {
        p.ScanQuery();
    } catch (const Exception&) {
    }
    std::string result;
    try {
        if (mode & 1) p.PlaceWHERECondition("C=1", result);
    } catch (const Exception&) {
    }
    try {
        if (mode & 2) p.PlaceOrderBYCondition("K", result);
    } catch (const Exception&) {
    }
    if (mode & 4) {
        p.SetPosition(0);
        p.Scan_FROM();
    }
    if (static_cast<std::size_t>(p.Position()) > p.Text().size()) __builtin_trap();
    return 0;
}
