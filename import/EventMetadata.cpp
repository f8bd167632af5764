#include "import/EventMetadata.h"

#include "import/TextTable.h"
#include "import/TimeText.h"

#include <QXmlStreamReader>

#include <cmath>

namespace {

// Values outside what the Earth allows are dropped, not clamped.
void setLatitude(EventInfo& e, std::optional<double> lat, std::optional<double> lon) {
    if (lat && lon && std::fabs(*lat) <= 90 && std::fabs(*lon) <= 360) {
        e.latitude = *lat;
        e.longitude = *lon > 180 ? *lon - 360 : *lon < -180 ? *lon + 360 : *lon;
    }
}
void setDepth(EventInfo& e, std::optional<double> km) {
    if (km && *km >= -10 && *km <= 1000) e.depthKm = *km;
}
void setMagnitude(EventInfo& e, std::optional<double> m) {
    if (m && *m > -5 && *m < 12) e.magnitude = *m;
}

bool usable(const EventInfo& e) { return e.originTime || e.latitude || e.magnitude; }

}   // namespace

std::vector<EventInfo> parseEventText(std::string_view text, std::string& error) {
    error.clear();
    std::vector<EventInfo> out;
    TextTable table;
    if (!table.readHeader(text)) {
        error = "not an FDSN event text (no #EventID|Time|... header)";
        return out;
    }
    const int id = table.column("EventID"), time = table.column("Time"),
              lat = table.column("Latitude"), lon = table.column("Longitude"),
              depth = table.column("Depth/km"), mag = table.column("Magnitude"),
              place = table.column("EventLocationName");
    if (time < 0 || lat < 0 || lon < 0) {
        error = "FDSN event text without Time, Latitude and Longitude columns";
        return out;
    }
    for (const auto& row : table.rows()) {
        EventInfo e;
        e.originTime = parseTimeText(TextTable::field(row, time));
        setLatitude(e, TextTable::number(TextTable::field(row, lat)),
                    TextTable::number(TextTable::field(row, lon)));
        setDepth(e, TextTable::number(TextTable::field(row, depth)));
        setMagnitude(e, TextTable::number(TextTable::field(row, mag)));
        e.place = TextTable::field(row, place);
        e.eventId = TextTable::field(row, id);
        if (usable(e)) out.push_back(std::move(e));
    }
    if (out.empty()) error = "no event with a time, place or magnitude in the event text";
    return out;
}

std::vector<EventInfo> parseQuakeMl(std::string_view xml, std::string& error) {
    error.clear();
    std::vector<EventInfo> out;
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), qsizetype(xml.size())));
    struct Origin {
        std::string id;
        std::optional<double> time, lat, lon, depthMetres;
    };
    struct Magnitude {
        std::string id;
        std::optional<double> value;
    };
    std::vector<QString> path;
    std::vector<Origin> origins;
    std::vector<Magnitude> magnitudes;
    std::string preferredOrigin, preferredMagnitude, description, eventId;
    bool sawRoot = false, inEvent = false;

    auto text = [&]() {
        return reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toStdString();
    };
    auto at = [&](std::size_t back) {
        return path.size() >= back ? path[path.size() - back] : QString();
    };

    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = reader.name().toString();
            if (!sawRoot) {
                if (name != QLatin1String("quakeml")) break;
                sawRoot = true;
            }
            const QString in = at(1);
            if (name == QLatin1String("event") && in == QLatin1String("eventParameters")) {
                inEvent = true;
                origins.clear();
                magnitudes.clear();
                preferredOrigin.clear();
                preferredMagnitude.clear();
                description.clear();
                eventId =
                    reader.attributes().value(QLatin1String("publicID")).toString().toStdString();
            } else if (inEvent && in == QLatin1String("event")) {
                if (name == QLatin1String("origin"))
                    origins.push_back({reader.attributes()
                                           .value(QLatin1String("publicID"))
                                           .toString()
                                           .toStdString(),
                                       {},
                                       {},
                                       {},
                                       {}});
                else if (name == QLatin1String("magnitude"))
                    magnitudes.push_back({reader.attributes()
                                              .value(QLatin1String("publicID"))
                                              .toString()
                                              .toStdString(),
                                          {}});
                else if (name == QLatin1String("preferredOriginID")) {
                    preferredOrigin = text();
                    continue;
                } else if (name == QLatin1String("preferredMagnitudeID")) {
                    preferredMagnitude = text();
                    continue;
                }
            } else if (inEvent && name == QLatin1String("text")
                       && in == QLatin1String("description") && at(2) == QLatin1String("event")) {
                const std::string t = text();
                if (description.empty()) description = t;
                continue;
            } else if (inEvent && name == QLatin1String("value") && at(2) == QLatin1String("origin")
                       && at(3) == QLatin1String("event") && !origins.empty()) {
                Origin& o = origins.back();
                const std::string v = text();
                if (in == QLatin1String("time"))
                    o.time = parseTimeText(v);
                else if (in == QLatin1String("latitude"))
                    o.lat = TextTable::number(v);
                else if (in == QLatin1String("longitude"))
                    o.lon = TextTable::number(v);
                else if (in == QLatin1String("depth"))
                    o.depthMetres = TextTable::number(v);
                continue;
            } else if (inEvent && name == QLatin1String("value") && in == QLatin1String("mag")
                       && at(2) == QLatin1String("magnitude") && at(3) == QLatin1String("event")
                       && !magnitudes.empty()) {
                magnitudes.back().value = TextTable::number(text());
                continue;
            }
            path.push_back(name);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!path.empty()) path.pop_back();
            if (inEvent && reader.name() == QLatin1String("event")
                && at(1) == QLatin1String("eventParameters")) {
                inEvent = false;
                EventInfo e;
                e.eventId = eventId;
                e.place = description;
                const Origin* o = origins.empty() ? nullptr : &origins.front();
                for (const Origin& c : origins)
                    if (!preferredOrigin.empty() && c.id == preferredOrigin) o = &c;
                if (o) {
                    e.originTime = o->time;
                    setLatitude(e, o->lat, o->lon);
                    if (o->depthMetres) setDepth(e, *o->depthMetres / 1000.0);
                }
                const Magnitude* m = magnitudes.empty() ? nullptr : &magnitudes.front();
                for (const Magnitude& c : magnitudes)
                    if (!preferredMagnitude.empty() && c.id == preferredMagnitude) m = &c;
                if (m) setMagnitude(e, m->value);
                if (usable(e)) out.push_back(std::move(e));
            }
        }
    }
    if (!sawRoot) {
        error = "not QuakeML (no quakeml element)";
        return {};
    }
    if (out.empty())
        error = reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError
                    ? "QuakeML unreadable: " + reader.errorString().toStdString()
                    : "no event with a time, place or magnitude in the QuakeML";
    return out;
}

std::vector<EventInfo> readEventMetadata(std::string_view bytes, std::string& error) {
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size()
           && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return i < bytes.size() && bytes[i] == '<' ? parseQuakeMl(bytes, error)
                                               : parseEventText(bytes, error);
}
