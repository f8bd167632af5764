#include "Stations.h"

#include <cmath>
#include <cstdio>

namespace {

// Coordinates to 1e-4 degree as published for the stations' sites.
constexpr GsnStation kStations[] = {
    // North America and the Caribbean
    {"ANMO", "IU", "Albuquerque, New Mexico, USA", 34.9459, -106.4572},
    {"HRV", "IU", "Harvard, Massachusetts, USA", 42.5064, -71.5583},
    {"SSPA", "IU", "Standing Stone, Pennsylvania", 40.6358, -77.8876},
    {"CCM", "IU", "Cathedral Cave, Missouri, USA", 38.0557, -91.2446},
    {"TUC", "IU", "Tucson, Arizona, USA", 32.3098, -110.7847},
    {"COLA", "IU", "College Outpost, Alaska, USA", 64.8736, -147.8616},
    {"ADK", "IU", "Adak, Aleutian Islands, USA", 51.8823, -176.6842},
    {"FFC", "II", "Flin Flon, Canada", 54.7250, -101.9783},
    {"SFJD", "IU", "Sondre Stromfjord, Greenland", 66.9961, -50.6208},
    {"SJG", "IU", "San Juan, Puerto Rico", 18.1091, -66.1500},
    // South America
    {"LPAZ", "GT", "La Paz, Bolivia", -16.2879, -68.1307},
    {"OTAV", "IU", "Otavalo, Ecuador", 0.2376, -78.4508},
    {"SAML", "IU", "Samuel, Brazil", -8.9489, -63.1831},
    {"TRQA", "IU", "Tornquist, Argentina", -38.0568, -61.9787},
    // Europe
    {"KONO", "IU", "Kongsberg, Norway", 59.6491, 9.5982},
    {"PAB", "IU", "San Pablo, Spain", 39.5446, -4.3499},
    {"BFO", "II", "Black Forest Obs., Germany", 48.3301, 8.3296},
    {"KEV", "IU", "Kevo, Finland", 69.7565, 27.0035},
    {"KBS", "IU", "Ny-Alesund, Spitsbergen, Norway", 78.9154, 11.9385},
    {"BORG", "II", "Borgarnes, Iceland", 64.7474, -21.3268},
    // Asia
    {"ARU", "II", "Arti, Russia", 56.4302, 58.5625},
    {"BRVK", "II", "Borovoye, Kazakhstan", 53.0581, 70.2828},
    {"NIL", "II", "Nilore, Pakistan", 33.6506, 73.2686},
    {"CHTO", "IU", "Chiang Mai, Thailand", 18.8141, 98.9443},
    {"INCN", "IU", "Inchon, Republic of Korea", 37.4776, 126.6239},
    {"MAJO", "IU", "Matsushiro, Japan", 36.5457, 138.2041},
    {"TATO", "IU", "Taipei, Taiwan", 24.9735, 121.4971},
    {"ULN", "IU", "Ulaanbaatar, Mongolia", 47.8651, 107.0532},
    {"YAK", "IU", "Yakutsk, Russia", 62.0310, 129.6805},
    {"PET", "IU", "Petropavlovsk, Kamchatka", 53.0233, 158.6499},
    {"DAV", "IU", "Davao, Philippines", 7.0697, 125.5791},
    // Africa and the Indian Ocean
    {"TSUM", "IU", "Tsumeb, Namibia", -19.2022, 17.5838},
    {"LSZ", "IU", "Lusaka, Zambia", -15.2779, 28.1882},
    {"KMBO", "IU", "Kilima Mbogo, Kenya", -1.1271, 37.2525},
    {"FURI", "IU", "Mt. Furi, Ethiopia", 8.8952, 38.6798},
    {"MSEY", "II", "Mahe, Seychelles", -4.6737, 55.4792},
    {"ABPO", "II", "Ambohimpanompo, Madagascar", -19.0180, 47.2290},
    {"DGAR", "II", "Diego Garcia, Chagos Islands", -7.4121, 72.4525},
    // Atlantic islands
    {"SACV", "II", "Santiago Island, Cape Verde", 14.9702, -23.6085},
    {"ASCN", "II", "Butt Crater, Ascension Island", -7.9327, -14.3601},
    {"HOPE", "II", "Hope Point, South Georgia", -54.2836, -36.4879},
    // Australia, Oceania and the Pacific
    {"CTAO", "IU", "Charters Towers, Australia", -20.0882, 146.2545},
    {"NWAO", "IU", "Narrogin, Australia", -32.9277, 117.2390},
    {"TAU", "IU", "Hobart, Tasmania, Australia", -42.9099, 147.3204},
    {"SNZO", "IU", "South Karori, New Zealand", -41.3087, 174.7043},
    {"HNR", "IU", "Honiara, Solomon Islands", -9.4387, 159.9475},
    {"KAPI", "II", "Kappang, Sulawesi, Indonesia", -5.0142, 119.7517},
    {"GUMO", "IU", "Guam, Mariana Islands", 13.5893, 144.8684},
    {"RAR", "IU", "Rarotonga, Cook Islands", -21.2125, -159.7733},
    {"KIP", "IU", "Kipapa, Hawaii, USA", 21.4200, -158.0112},
    {"POHA", "IU", "Pohakuloa, Hawaii, USA", 19.7573, -155.5326},
    {"XMAS", "IU", "Kiritimati Island, Kiribati", 2.0448, -157.4457},
    {"PTCN", "IU", "Pitcairn Island", -25.0713, -130.0953},
    {"RPN", "II", "Rapa Nui, Easter Island", -27.1267, -109.3344},
    {"PAYG", "IU", "Puerto Ayora, Galapagos", -0.6742, -90.2861},
    // Antarctica
    {"QSPA", "IU", "South Pole, Antarctica", -89.9289, 144.4382},
    {"SBA", "IU", "Scott Base, Antarctica", -77.8492, 166.7572},
    {"CASY", "IU", "Casey Station, Antarctica", -66.2792, 110.5354},
    {"PMSA", "IU", "Palmer Station, Antarctica", -64.7744, -64.0489},
};

}   // namespace

std::span<const GsnStation> gsnStations() { return kStations; }

std::string stationLine(const GsnStation& station) {
    char line[96];
    std::snprintf(line, sizeof line, "%-8.8s%-31.31s %.4f%c %.4f%c", station.code,
                  station.description, std::fabs(station.latitude),
                  station.latitude < 0 ? 'S' : 'N', std::fabs(station.longitude),
                  station.longitude < 0 ? 'W' : 'E');
    return line;
}
