#include "bench/linefloor.h"

#include <algorithm>

namespace LineFloor {

double exchangeFloorMs(const Exchange &exchange, const ExchangeRules &rules)
{
    const double request = lineMs(exchange.requestBytes);
    const double answer = exchange.answerDelayMs + lineMs(exchange.responseBytes);
    // Without a quiet gap the worker listens for the whole window, whenever the answer
    // comes; with one, the answer ends only after the gap has passed in silence.
    const double read = rules.quietGapMs > 0 ? answer + rules.quietGapMs
                                             : std::max(double(rules.readWindowMs), answer);
    return request + read + rules.pauseMs;
}

Floor commandFloor(const QList<Exchange> &exchanges, const ExchangeRules &rules)
{
    Floor floor;
    for (const Exchange &e : exchanges) {
        ++floor.exchanges;
        floor.bytes += e.requestBytes + e.responseBytes;
        floor.lineMs += lineMs(e.requestBytes + e.responseBytes);
        floor.totalMs += exchangeFloorMs(e, rules);
    }
    return floor;
}

} // namespace LineFloor
