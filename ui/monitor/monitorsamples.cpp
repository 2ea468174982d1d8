#include "ui/monitor/monitorsamples.h"

#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/channels/digitalrules.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr double kMsecsPerHour = 3600.0 * 1000.0;

} // namespace

void MonitorSamples::setChannels(const QList<MonitorChannel> &channels)
{
    list = channels;
    all.clear();
    perChannel = QVector<QVector<Point>>(list.size());
}

int MonitorSamples::position(bool meter, int index) const
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).meter == meter && list.at(i).index == index)
            return i;
    }
    return -1;
}

void MonitorSamples::add(const QDateTime &time, int channel, const QStringList &fields)
{
    if (channel < 0 || channel >= list.size())
        return;
    const MonitorChannel &c = list.at(channel);
    Sample s;
    s.msecs = time.toMSecsSinceEpoch();
    s.channel = channel;
    // A meter reports its first reading after its serial number; an empty serial number
    // says the meter kept silent.
    if (c.meter) {
        s.answered = !DigitalRules::meterSilent(fields);
        s.raw = s.answered ? fields.value(DigitalRecord::ReadFirst) : QString();
        s.value = s.raw.toDouble();
    } else {
        s.answered = !fields.isEmpty();
        s.raw = fields.value(0);
        s.value = AnalogRules::readingShown(s.raw, c.deviceCode).toDouble();
    }
    all.append(s);
    perChannel[channel].append({s.msecs, s.value, s.answered});
}

MonitorSamples::Summary MonitorSamples::summary(int channel) const
{
    Summary sum;
    if (channel < 0 || channel >= perChannel.size() || perChannel.at(channel).isEmpty())
        return sum;
    const QVector<Point> &points = perChannel.at(channel);
    sum.tried = true;
    sum.lastAnswered = points.last().answered;
    const auto first = std::find_if(points.begin(), points.end(),
                                    [](const Point &p) { return p.answered; });
    if (first == points.end())
        return sum;
    const auto last = std::find_if(points.rbegin(), points.rend(),
                                   [](const Point &p) { return p.answered; });
    sum.any = true;
    sum.last = last->value;
    sum.change = last->value - first->value;
    const qint64 span = last->msecs - first->msecs;
    sum.ratePerHour = span > 0 ? sum.change * kMsecsPerHour / double(span) : 0;
    return sum;
}

QList<QVector<QPointF>> MonitorSamples::drawn(int channel, int maxPoints) const
{
    QList<QVector<QPointF>> runs;
    if (channel < 0 || channel >= perChannel.size() || perChannel.at(channel).isEmpty())
        return runs;
    const QVector<Point> &points = perChannel.at(channel);
    // Two points (lowest and highest) per slot keep a spike visible however thin the drawing.
    const int slotCount = std::max(1, maxPoints / 2);
    const bool thin = points.size() > maxPoints;
    const qint64 t0 = points.first().msecs;
    const double span = double(std::max<qint64>(1, points.last().msecs - t0));
    QVector<QPointF> run;
    int slot = -1;
    const Point *low = nullptr;
    const Point *high = nullptr;
    const auto flush = [&] {
        if (!low)
            return;
        const Point *a = low->msecs <= high->msecs ? low : high;
        const Point *b = a == low ? high : low;
        run.append(QPointF(double(a->msecs), a->value));
        if (b != a)
            run.append(QPointF(double(b->msecs), b->value));
        low = high = nullptr;
    };
    for (const Point &p : points) {
        if (!p.answered) {
            flush();
            if (!run.isEmpty())
                runs.append(run);
            run.clear();
            slot = -1;
            continue;
        }
        if (!thin) {
            run.append(QPointF(double(p.msecs), p.value));
            continue;
        }
        const int s = int(double(p.msecs - t0) / span * (slotCount - 1));
        if (s != slot) {
            flush();
            slot = s;
        }
        if (!low || p.value < low->value)
            low = &p;
        if (!high || p.value > high->value)
            high = &p;
    }
    flush();
    if (!run.isEmpty())
        runs.append(run);
    return runs;
}

QByteArray MonitorSamples::csv() const
{
    QStringList lines{QCoreApplication::translate("MonitorWindow",
                                                  "Время;Канал;Показание;Показание в единицах вкладки")};
    for (const Sample &s : all) {
        const QString time = QDateTime::fromMSecsSinceEpoch(s.msecs).toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        lines << QStringLiteral("%1;%2;%3;%4")
                     .arg(time)
                     .arg(list.at(s.channel).number)
                     .arg(s.raw, s.answered ? QString::number(s.value, 'g', 12) : QString());
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QString MonitorSamples::unitOfLabel(const QString &label)
{
    const int comma = int(label.lastIndexOf(QLatin1String(", ")));
    return comma < 0 ? QString() : label.mid(comma + 2);
}
