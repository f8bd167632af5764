#include "import/StationMetadata.h"

#include "import/TextTable.h"
#include "import/TimeText.h"

#include <QXmlStreamReader>

#include <cmath>

namespace {

constexpr double kNoStart = -1e18, kNoEnd = 1e18;

// Data centres write an empty location as "" or "--".
std::string locationCode(std::string code) { return code == "--" ? std::string() : code; }

bool placeValid(double lat, double lon) { return std::fabs(lat) <= 90 && std::fabs(lon) <= 360; }

double normalLongitude(double lon) { return lon > 180 ? lon - 360 : lon < -180 ? lon + 360 : lon; }

double timeOr(const std::string& text, double fallback) {
    return parseTimeText(text).value_or(fallback);
}

std::string noEntries(std::size_t leftOut) {
    return leftOut ? "no station with a network, station code and coordinates ("
                         + std::to_string(leftOut) + " entries unusable)"
                   : "no stations listed";
}

}   // namespace

std::vector<ChannelMetadata> parseStationText(std::string_view text, std::string& error) {
    error.clear();
    std::vector<ChannelMetadata> out;
    TextTable table;
    if (!table.readHeader(text)) {
        error = "not an FDSN station text (no #Network|Station|... header)";
        return out;
    }
    const int net = table.column("Network"), sta = table.column("Station"),
              loc = table.column("Location"), cha = table.column("Channel"),
              lat = table.column("Latitude"), lon = table.column("Longitude"),
              elev = table.column("Elevation"), az = table.column("Azimuth"),
              dip = table.column("Dip"), site = table.column("SiteName"),
              start = table.column("StartTime"), end = table.column("EndTime");
    if (net < 0 || sta < 0 || lat < 0 || lon < 0) {
        error = "FDSN station text without Network, Station, Latitude and Longitude columns";
        return out;
    }
    std::size_t leftOut = 0;
    for (const auto& row : table.rows()) {
        ChannelMetadata m;
        m.id = {TextTable::field(row, net), TextTable::field(row, sta),
                locationCode(TextTable::field(row, loc)), TextTable::field(row, cha)};
        const auto la = TextTable::number(TextTable::field(row, lat));
        const auto lo = TextTable::number(TextTable::field(row, lon));
        if (m.id.network.empty() || m.id.station.empty() || !la || !lo || !placeValid(*la, *lo)) {
            ++leftOut;
            continue;
        }
        m.latitude = *la;
        m.longitude = normalLongitude(*lo);
        m.elevation = TextTable::number(TextTable::field(row, elev)).value_or(0);
        m.azimuth = TextTable::number(TextTable::field(row, az));
        m.dip = TextTable::number(TextTable::field(row, dip));
        if (m.dip && std::fabs(*m.dip) > 90) m.dip.reset();
        m.siteName = TextTable::field(row, site);
        m.startTime = timeOr(TextTable::field(row, start), kNoStart);
        m.endTime = timeOr(TextTable::field(row, end), kNoEnd);
        out.push_back(std::move(m));
    }
    if (out.empty()) error = noEntries(leftOut);
    return out;
}

std::vector<ChannelMetadata> parseStationXml(std::string_view xml, std::string& error) {
    error.clear();
    std::vector<ChannelMetadata> out;
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), qsizetype(xml.size())));
    std::vector<QString> path;   // open elements, outermost first
    std::string network;
    ChannelMetadata station, channel;
    std::optional<double> stationLat, stationLon, channelLat, channelLon;
    std::size_t stationFirst = 0, leftOut = 0;
    bool sawRoot = false, stationHasChannels = false;

    auto parent = [&]() { return path.empty() ? QString() : path.back(); };
    auto number = [&]() {
        return TextTable::number(
            reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toStdString());
    };
    auto attr = [&](const char* name) {
        return reader.attributes().value(QLatin1String(name)).toString().trimmed().toStdString();
    };
    auto add = [&](ChannelMetadata m, std::optional<double> lat, std::optional<double> lon) {
        if (m.id.network.empty() || m.id.station.empty() || !lat || !lon
            || !placeValid(*lat, *lon)) {
            ++leftOut;
            return;
        }
        m.latitude = *lat;
        m.longitude = normalLongitude(*lon);
        out.push_back(std::move(m));
    };

    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = reader.name().toString();
            const QString in = parent();
            if (!sawRoot) {
                if (name != QLatin1String("FDSNStationXML")) break;
                sawRoot = true;
            }
            if (name == QLatin1String("Network")) {
                network = attr("code");
            } else if (name == QLatin1String("Station") && in == QLatin1String("Network")) {
                station = ChannelMetadata{};
                station.id = {network, attr("code"), "", ""};
                station.startTime = timeOr(attr("startDate"), kNoStart);
                station.endTime = timeOr(attr("endDate"), kNoEnd);
                stationLat.reset();
                stationLon.reset();
                stationFirst = out.size();
                stationHasChannels = false;
            } else if (name == QLatin1String("Channel") && in == QLatin1String("Station")) {
                channel = ChannelMetadata{};
                channel.id = {network, station.id.station, locationCode(attr("locationCode")),
                              attr("code")};
                channel.startTime = timeOr(attr("startDate"), kNoStart);
                channel.endTime = timeOr(attr("endDate"), kNoEnd);
                channelLat.reset();
                channelLon.reset();
            } else if (in == QLatin1String("Station") || in == QLatin1String("Channel")) {
                const bool ofChannel = in == QLatin1String("Channel");
                ChannelMetadata& m = ofChannel ? channel : station;
                if (name == QLatin1String("Latitude"))
                    (ofChannel ? channelLat : stationLat) = number();
                else if (name == QLatin1String("Longitude"))
                    (ofChannel ? channelLon : stationLon) = number();
                else if (name == QLatin1String("Elevation"))
                    m.elevation = number().value_or(0);
                else if (ofChannel && name == QLatin1String("Azimuth"))
                    m.azimuth = number();
                else if (ofChannel && name == QLatin1String("Dip")) {
                    m.dip = number();
                    if (m.dip && std::fabs(*m.dip) > 90) m.dip.reset();
                } else {
                    path.push_back(name);
                }
                continue;   // read elements were consumed up to their end
            } else if (name == QLatin1String("Name") && in == QLatin1String("Site")
                       && path.size() >= 2 && path[path.size() - 2] == QLatin1String("Station")) {
                station.siteName = reader.readElementText(QXmlStreamReader::SkipChildElements)
                                       .simplified()
                                       .toStdString();
                continue;
            }
            path.push_back(name);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!path.empty()) path.pop_back();
            const QString name = reader.name().toString();
            if (name == QLatin1String("Channel") && parent() == QLatin1String("Station")) {
                add(channel, channelLat ? channelLat : stationLat,
                    channelLon ? channelLon : stationLon);
                stationHasChannels = true;
            } else if (name == QLatin1String("Station") && parent() == QLatin1String("Network")) {
                for (std::size_t i = stationFirst; i < out.size(); ++i)
                    out[i].siteName = station.siteName;
                if (!stationHasChannels)   // the station itself stands for its channels
                    add(station, stationLat, stationLon);
            }
        }
    }
    if (!sawRoot) {
        error = "not StationXML (no FDSNStationXML element)";
        return {};
    }
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        if (out.empty()) error = "StationXML unreadable: " + reader.errorString().toStdString();
        return out;
    }
    if (out.empty()) error = noEntries(leftOut);
    return out;
}

std::vector<ChannelMetadata> readStationMetadata(std::string_view bytes, std::string& error) {
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size()
           && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return i < bytes.size() && bytes[i] == '<' ? parseStationXml(bytes, error)
                                               : parseStationText(bytes, error);
}
