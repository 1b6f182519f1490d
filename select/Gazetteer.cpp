#include "select/Gazetteer.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace tarvelon {

namespace {

using F = FeatureFamily;

const std::array<FamilyInfo, kFeatureFamilyCount> kFamilies = {{
    {F::Planitiae, "planitiae", 12, 34, " (Planitiae)", "m_plan"},
    {F::CrateredTerrain, "CrateredTerrain", 9, 46, " (Cratered Terrain)", "m_cter"},
    {F::Craters, "Crater", 55, 55, " (Individual Craters)", "m_craters"},
    {F::Mountains, "Mountains", 34, 110, " (Mountains and Uplands)", "m_mountn"},
    {F::Valleys, "Valleys", 87, 144, " (Channels and Valleys)", "m_val"},
    {F::Plateaus, "Plateau", 15, 231, " (Plateaus)", "m_val"},
}};

// Every feature, submenu by submenu, each submenu top to bottom. The
// captions are the menu's own, spelling included.
constexpr FeatureRow kRows[kFeatureCount] = {
    // "Planitiae (plains)" (m_plan)
    {F::Planitiae, 0, "m_p000", "Acidalia", -60, 58, 0, 32},
    {F::Planitiae, 1, "m_p001", "Amazonis", -175, 43, -140, -3},
    {F::Planitiae, 2, "m_p002", "Arcadia", 160, 54, 220, 20},
    {F::Planitiae, 3, "m_p003", "Argyre", -62, -32, -26, -65},
    {F::Planitiae, 4, "m_p004", "Chryse", -55, 41, -27, 10},
    {F::Planitiae, 5, "m_p005", "Daedalia Planum", -150, -3, -105, -45},
    {F::Planitiae, 6, "m_p006", "Elysium", 85, 28, 155, -3},
    {F::Planitiae, 7, "m_p007", "Hellas", 40, -20, 100, -60},
    {F::Planitiae, 8, "m_p008", "Isidis", 75, 28, 100, 0},
    {F::Planitiae, 9, "m_p009", "Olympia (N Pole)", -40, 88, 70, 76},
    {F::Planitiae, 10, "m_p010", "Syrtis Major", 50, 30, 80, -10},
    {F::Planitiae, 11, "m_p011", "Utopia", 60, 60, 150, 10},
    // "Mensae (plateaus)" (mensaeplateaus1)
    {F::Plateaus, 0, "men000", "Aoelus Mensae", 134, 3, 149, -11},
    {F::Plateaus, 1, "men001", "Baetis Mensa", -74, -4, -71, -7},
    {F::Plateaus, 3, "men003", "Cydonia Mensae", -22, 44, -4, 30},
    {F::Plateaus, 2, "men002", "Dentronilus Mensae", 15, 51, 30, 40},
    {F::Plateaus, 4, "men004", "Galaxias Mensae", 144, 39, 151, 34},
    {F::Plateaus, 5, "men005", "Labaetis Mensa", -77, 27, -73, 24},
    {F::Plateaus, 6, "men006", "Lunae Mensa", -64, 25, -61, 23},
    {F::Plateaus, 7, "men007", "Nepenthes Mensae", 104, 24, 134, -8},
    {F::Plateaus, 8, "men008", "Nilokeras Mensae", -55, 36, -48, 29},
    {F::Plateaus, 9, "men009", "Nilosyrtis Mensae", 59, 40, 74, 28},
    {F::Plateaus, 10, "men010", "Nilus Mensae", -74, 24, -70, 19},
    {F::Plateaus, 11, "men011", "Protonilus Mensae", 44, 49, 58, 32},
    {F::Plateaus, 12, "men012", "Sacra Mensa", -75, 30, -62, 17},
    {F::Plateaus, 13, "men013", "Tempe Mensa", -73, 29, -70, 27},
    {F::Plateaus, 14, "men014", "Zephyria Mensae", 170, -8, 174, -12},
    // "Chaotic Terrain" (ChaoticTerrain1)
    {F::Valleys, 2, "m_v002", "Aram Chaos", -25, 6, -17, -1},
    {F::Valleys, 79, "m_v079", "Aromatum Chaos", -44, 0, -42, -2},
    {F::Valleys, 75, "m_v075", "Arsinoes Chaos", -30, -6, -26, -10},
    {F::Valleys, 76, "m_v076", "Atlantis Chaos", -179, -33, -174, -38},
    {F::Valleys, 4, "m_v004", "Aureum Chaos", -31, 0, -23, -8},
    {F::Valleys, 5, "m_v005", "Aurorae Chaos", -38, -5, -29, -13},
    {F::Valleys, 77, "m_v077", "Echus Chaos", -78, 14, -71, 6},
    {F::Valleys, 80, "m_v080", "Eos Chasma", -110, 50, -101, 43},
    {F::Valleys, 78, "m_v078", "Gorgonum Chaos", -172, -39, -169, -42},
    {F::Valleys, 81, "m_v081", "Hydaspis Chaos", -32, 7, -24, -1},
    {F::Valleys, 82, "m_v082", "Hydraotes Chaos", -38, 3, -31, -3},
    {F::Valleys, 83, "m_v083", "Iani Chaos", -23, 4, -11, -10},
    {F::Valleys, 19, "m_v019", "Margaritifer Chaos", -27, -4, -16, -15},
    {F::Valleys, 84, "m_v084", "Nilus Chaos", -81, 29, -74, 23},
    {F::Valleys, 85, "m_v085", "Pyrrhae Chaos", -31, -8, -26, -12},
    // "Cratered Terrain" (m_cter)
    {F::CrateredTerrain, 0, "m_ct000", "Aonia Terra", -95, -40, -40, -60},
    {F::CrateredTerrain, 1, "m_ct001", "Arabia Terra", -28, 59, 59, 15},
    {F::CrateredTerrain, 2, "m_ct002", "Noachis Terra", -32, -20, 32, -60},
    {F::CrateredTerrain, 3, "m_ct003", "Promethei Terra", 85, -30, 130, -60},
    {F::CrateredTerrain, 4, "m_ct004", "Terra Cimmeria", 125, -12, 180, -58},
    {F::CrateredTerrain, 5, "m_ct005", "Tarra Sabaea", 12, 15, 71, -30},
    {F::CrateredTerrain, 6, "m_ct006", "Terra Sirenium", -180, -28, -120, -60},
    {F::CrateredTerrain, 7, "m_ct007", "Thaumasia Planum", -74, -13, -57, -31},
    {F::CrateredTerrain, 8, "m_ct008", "Tyrrhenia Terra", 70, 3, 105, -29},
    // "Individual Craters" (m_craters)
    {F::Craters, 21, "m_c021", "Agassiz", -92, -67, -86, -73},
    {F::Craters, 49, "m_c049", "Antoniadi", 57, 26, 65, 17},
    {F::Craters, 50, "m_c050", "Becquerel", -10, 24, -6, 20},
    {F::Craters, 0, "m_c000", "Cassini", 26, 29, 38, 18},
    {F::Craters, 23, "m_c023", "Columbus", -168, -28, -164, -32},
    {F::Craters, 1, "m_c001", "Copernicus", -175, -45, -165, -55},
    {F::Craters, 2, "m_c002", "Darwin", -23, -55, -16, -60},
    {F::Craters, 24, "m_c024", "Da Vinci", -41, 3, -37, -1},
    {F::Craters, 25, "m_c025", "Dawes", 36, -7, 40, -11},
    {F::Craters, 26, "m_c026", "Dejnev", -167, -23, -163, -27},
    {F::Craters, 53, "m_c053", "Eberswalde", -33, -23, -29, -27},
    {F::Craters, 27, "m_c027", "Flaugergues", 16, -14, 22, -20},
    {F::Craters, 28, "m_c028", "Fournier", 71, -3, 74, -6},
    {F::Craters, 52, "m_c052", "Gale", 136, -3, 140, -7},
    {F::Craters, 3, "m_c003", "Galle", -35, -46, -25, -55},
    {F::Craters, 29, "m_c029", "Graff", 152, -19, 156, -23},
    {F::Craters, 4, "m_c004", "Gusev", 172, -12, 179, -21},
    {F::Craters, 5, "m_c005", "Hale", -38, -34, -34, -38},
    {F::Craters, 6, "m_c006", "Hellas Basin", 42, -25, 101, -58},
    {F::Craters, 30, "m_c030", "Helmholtz", -23, -44, -19, -48},
    {F::Craters, 7, "m_c007", "Herschell", 125, -11, 135, -19},
    {F::Craters, 8, "m_c008", "Holden", -37, -24, -31, -28},
    {F::Craters, 9, "m_c009", "Hooke", -47, -43, -42, -47},
    {F::Craters, 10, "m_c010", "Huygens", 51, -9, 60, -18},
    {F::Craters, 31, "m_c031", "Janssen", 36, 4, 39, 1},
    {F::Craters, 32, "m_c032", "Kaiser", 16, -44, 22, -48},
    {F::Craters, 11, "m_c011", "Kepler", 133, -41, 147, -51},
    {F::Craters, 33, "m_c033", "Koval'sky", -146, -25, -138, -33},
    {F::Craters, 12, "m_c012", "Lowell", -85, -50, -78, -54},
    {F::Craters, 13, "m_c013", "Lyot", 25, 53, 34, 47},
    {F::Craters, 51, "m_c051", "Maunder", 0, -48, 4, -51},
    {F::Craters, 14, "m_c014", "Milankowicz", -149, 56, -145, 53},
    {F::Craters, 34, "m_c034", "Mutch", -58, 3, -52, -2},
    {F::Craters, 35, "m_c035", "Newcomb", -2, -21, 4, -27},
    {F::Craters, 15, "m_c015", "Nicholson", -166, 2, -163, -2},
    {F::Craters, 16, "m_c016", "Orcus Patera", 175, 18, 183, 10},
    {F::Craters, 36, "m_c036", "Orson Welles", -48, 2, -44, -2},
    {F::Craters, 37, "m_c037", "Phillips", -52, -64, -40, -69},
    {F::Craters, 38, "m_c038", "Ptolomaeua", -160, -43, -154, -49},
    {F::Craters, 39, "m_c039", "Quenisset", 37, 37, 44, 31},
    {F::Craters, 54, "m_c054", "Rabe", 33, -42, 37, -46},
    {F::Craters, 40, "m_c040", "Rutherford", -13, 21, -9, 17},
    {F::Craters, 17, "m_c017", "Sagan", -32, 13, -28, 9},
    {F::Craters, 41, "m_c041", "Savich", 93, -25, 99, -31},
    {F::Craters, 18, "m_c018", "Schiaperelli", 7, 6, 25, -12},
    {F::Craters, 42, "m_c042", "Schroeter", 56, -1, 59, -3},
    {F::Craters, 43, "m_c043", "Secci", 98, -56, 106, -60},
    {F::Craters, 44, "m_c044", "Stoney", -142, -67, -134, -72},
    {F::Craters, 19, "m_c019", "Terby", 72, -26, 76, -30},
    {F::Craters, 45, "m_c045", "Tikhonravov", 32, 17, 40, 9},
    {F::Craters, 22, "m_c022", "Tolstoy", 122, -45, 128, -50},
    {F::Craters, 20, "m_c020", "Victoria", -6, -1, -4, -3},
    {F::Craters, 46, "m_c046", "Vinogradov", -41, -17, -35, -22},
    {F::Craters, 47, "m_c047", "Vogel", -16, -34, -11, -39},
    {F::Craters, 48, "m_c048", "Wallace", 108, -50, 114, -55},
    // "Mountains and Uplands" (m_mountn)
    {F::Mountains, 0, "m_m000", "Alba Patera", -131, 49, -93, 16},
    {F::Mountains, 1, "m_m001", "Apollinaris Patera", 170, -5, 180, -12},
    {F::Mountains, 2, "m_m002", "Apollinaris Patera Caldera", 172, -6, 177, -12},
    {F::Mountains, 20, "m_m020", "Arbor Tholus", 147, 22, 153, 16},
    {F::Mountains, 3, "m_m003", "Arsia Mons", -127, -2, -114, -17},
    {F::Mountains, 4, "m_m004", "Ascraeus Mons", -114, 17, -99, 5},
    {F::Mountains, 5, "m_m005", "Ausonia Mensa Massif", 96, -29, 100, -31},
    {F::Mountains, 6, "m_m006", "Biblis Patera", -127, 4, -122, 0},
    {F::Mountains, 21, "m_m021", "Charitum Montes", -49, -55, -41, -61},
    {F::Mountains, 7, "m_m007", "Cydonia 'Face'", -11, 40, -8, 37},
    {F::Mountains, 8, "m_m008", "Elysium Mons", 125, 35, 165, 10},
    {F::Mountains, 9, "m_m009", "Elysium Mons Summit", 140, 30, 155, 19},
    {F::Mountains, 10, "m_m010", "Hectates Tholus", 148, 34, 152, 30},
    {F::Mountains, 22, "m_m022", "Hellespontus", 40, -43, 46, -47},
    {F::Mountains, 23, "m_m023", "Libya Patera", 86, 6, 92, 0},
    {F::Mountains, 24, "m_m024", "Nereidum Montes", -48, -38, -40, -44},
    {F::Mountains, 11, "m_m011", "Olympus Mons", -150, 30, -120, 2},
    {F::Mountains, 12, "m_m012", "Olympus Mons Summit", -140, 24, -127, 12},
    {F::Mountains, 13, "m_m013", "Olympus Mons Caldera", -135, 20, -131, 16},
    {F::Mountains, 14, "m_m014", "Pavonis Mons", -118, 5, -108, -4},
    {F::Mountains, 25, "m_m025", "Phlegra Montes", -166, 44, -160, 38},
    {F::Mountains, 26, "m_m026", "Scandia Tholi", -140, 69, -130, 63},
    {F::Mountains, 27, "m_m027", "Sysiphi Montes", -16, -67, -10, -73},
    {F::Mountains, 28, "m_m028", "Tartarus Montes", 161, 34, 179, 17},
    {F::Mountains, 15, "m_m015", "Tharsus Tholus", -93, 15, -89, 11},
    {F::Mountains, 16, "m_m016", "Tharsus Volcanos (wide view)", -130, 20, -90, -20},
    {F::Mountains, 17, "m_m017", "Tyrrhena Patera", 99, -15, 114, -26},
    {F::Mountains, 18, "m_m018", "Ulysses Patera", -123, 4, -120, 2},
    {F::Mountains, 19, "m_m019", "Urania Patera", -104, 30, -89, 20},
    {F::Mountains, 29, "m_m029", "Albor Tholus", 148, 21, 152, 17},
    {F::Mountains, 30, "m_m030", "Ceraunius Tholus", -99, 26, -95, 22},
    {F::Mountains, 31, "m_m031", "Hectates Tholus", 148, 34, 153, 30},
    {F::Mountains, 32, "m_m032", "Ortygia Tholus", -11, 71, -5, 69},
    {F::Mountains, 33, "m_m033", "Uranius Tholus", -99, 27, -96, 25},
    // "Channels" (m_val)
    {F::Valleys, 0, "m_v000", "Acheron Fossae", -150, 40, -130, 21},
    {F::Valleys, 1, "m_v001", "Acheron Fossae (faults and disrupted crater)", -137, 40, -133, 37},
    {F::Valleys, 6, "m_v006", "Candor Chasma", -80, -4, -60, -17},
    {F::Valleys, 45, "m_v045", "Candor Labes", -78, -3, -74, -7},
    {F::Valleys, 39, "m_v039", "Capri Chasma", -56, 4, -28, -21},
    {F::Valleys, 40, "m_v040", "Calydon Fossae", -93, -5, -87, -11},
    {F::Valleys, 42, "m_v042", "Coloe Fossae", 46, 45, 66, 29},
    {F::Valleys, 7, "m_v007", "Coprates Chasma", -63, -11, -58, -16},
    {F::Valleys, 10, "m_v010", "Elysium Fossae", 135, 30, 145, 20},
    {F::Valleys, 11, "m_v011", "Eos Chasma", -41, -9, -34, -12},
    {F::Valleys, 43, "m_v043", "Halex Fossae", -129, 29, -124, 25},
    {F::Valleys, 13, "m_v013", "Ismeniae Fossae", 30, 50, 50, 34},
    {F::Valleys, 35, "m_v035", "Janssen Crater Rille", 32, 5, 40, -1},
    {F::Valleys, 16, "m_v016", "Ma'adin Fossae (Gusev)", 171, -10, 183, -30},
    {F::Valleys, 18, "m_v018", "Mangala Valles fluvial channels", -159, 0, -144, -15},
    {F::Valleys, 20, "m_v020", "Margeritifer Terra", -60, 20, -10, -20},
    {F::Valleys, 21, "m_v021", "Mars Pathfinder", -34, 20, -32, 18},
    {F::Valleys, 22, "m_v022", "Medusae Fossae", -171, 5, -155, -10},
    {F::Valleys, 23, "m_v023", "Melas Chasma", -77, -7, -67, -13},
    {F::Valleys, 26, "m_v026", "Nili Fossae", 70, 32, 90, 16},
    {F::Valleys, 38, "m_v038", "Noctis Labarynthus", -110, 1, -93, -15},
    {F::Valleys, 28, "m_v028", "Olympia Fossae", -115, 37, -105, 22},
    {F::Valleys, 36, "m_v036", "Orson Welles Crater and Channel", -51, 9, -41, -3},
    {F::Valleys, 32, "m_v032", "Tempe Fossae", -88, 58, -54, 31},
    {F::Valleys, 33, "m_v033", "Ulysses Fossae", -130, 16, -120, 0},
    {F::Valleys, 44, "m_v044", "Zephyrus Fossae", 140, 28, 148, 20},
    // "Valleys" (Valleya1)
    {F::Valleys, 3, "m_v003", "Ares Vallis", -40, 22, -13, -5},
    {F::Valleys, 46, "m_v046", "Auqakuh Vallis", 59, 32, 63, 27},
    {F::Valleys, 47, "m_v047", "Bahram Vallis", -62, 25, -55, 18},
    {F::Valleys, 41, "m_v041", "Clasia Vallis", 52, 38, 60, 30},
    {F::Valleys, 8, "m_v008", "Dao Vallis", 84, -32, 96, -41},
    {F::Valleys, 12, "m_v012", "Granicus Valles", 127, 29, 137, 26},
    {F::Valleys, 9, "m_v009", "Dao and Niger Valles", 90, -31, 96, -37},
    {F::Valleys, 48, "m_v048", "Drava Valles", 164, -47, 169, -50},
    {F::Valleys, 49, "m_v049", "Harmakhis Vallis", 86, -34, 98, -45},
    {F::Valleys, 50, "m_v050", "Hebrus Valles", 122, 23, 128, 17},
    {F::Valleys, 51, "m_v051", "Her Desher Vallis", -50, -24, -46, -27},
    {F::Valleys, 52, "m_v052", "Huo Hsing Vallis", 62, 34, 69, 27},
    {F::Valleys, 53, "m_v053", "Iberus Vallis", 150, 23, 153, 21},
    {F::Valleys, 14, "m_v014", "Kasei Valles", -82, 29, -53, -2},
    {F::Valleys, 54, "m_v054", "Labou Vallis", -156, -7, -152, -11},
    {F::Valleys, 55, "m_v055", "Ladon Valles", -32, -19, -25, -26},
    {F::Valleys, 56, "m_v056", "Licus Vallis", 124, -1, 128, -5},
    {F::Valleys, 15, "m_v015", "Lobo Vallis", -65, 35, -50, 24},
    {F::Valleys, 57, "m_v057", "Ma'Adim Vallis", 170, -14, 185, -29},
    {F::Valleys, 17, "m_v017", "Mamers Vallis Region", 6, 50, 26, 34},
    {F::Valleys, 37, "m_v037", "Mamers Vallis Rille", 14, 41, 23, 32},
    {F::Valleys, 67, "m_v067", "Maumee Valles", -57, 20, -54, 17},
    {F::Valleys, 86, "m_v086", "Mawrth Vallis", -21, 28, -11, 18},
    {F::Valleys, 58, "m_v058", "Nanedi Valles Region", -53, 9, -45, 2},
    {F::Valleys, 24, "m_v024", "Nanedi Valles", -49, 11, -45, 8},
    {F::Valleys, 25, "m_v025", "Niger Vallis", 80, -32, 98, -47},
    {F::Valleys, 27, "m_v027", "Nirgal Vallis", -47, -24, -36, -33},
    {F::Valleys, 59, "m_v059", "Ochus Valles", -47, 9, -43, 5},
    {F::Valleys, 60, "m_v060", "Parana Valles", -13, -20, -9, -24},
    {F::Valleys, 61, "m_v061", "Patapsco Vallis", 150, 25, 153, 22},
    {F::Valleys, 62, "m_v062", "Ravi Vallis", -43, 1, -38, -2},
    {F::Valleys, 63, "m_v063", "Ravius Valles", -115, 49, -109, 42},
    {F::Valleys, 29, "m_v029", "Reull Vallis", 86, -37, 108, -44},
    {F::Valleys, 64, "m_v064", "Rhabon Valles", -92, 23, -88, 20},
    {F::Valleys, 65, "m_v065", "Sabis Vallis", -156, -3, -150, -9},
    {F::Valleys, 66, "m_v066", "Scamander Vallis", 26, 18, 31, 14},
    {F::Valleys, 31, "m_v031", "Shalbatama Vallis (central)", -47, 12, -40, -2},
    {F::Valleys, 30, "m_v030", "Shalbatana Vallis", -52, 15, -29, -15},
    {F::Valleys, 68, "m_v068", "Simud Vallis", -48, 21, -29, 2},
    {F::Valleys, 69, "m_v069", "Tader Valles", -156, -47, -149, -52},
    {F::Valleys, 70, "m_v070", "Tiu Vallis", -38, 14, -30, 6},
    {F::Valleys, 71, "m_v071", "Tyras Vallis", -51, 9, -49, 7},
    {F::Valleys, 72, "m_v072", "Uzboi Vallis", -42, -27, -34, -34},
    {F::Valleys, 34, "m_v034", "Valles Marineris", -120, 5, -20, -25},
    {F::Valleys, 73, "m_v073", "Vedra Valles", -58, 21, -54, 18},
    {F::Valleys, 74, "m_v074", "Warrego Valles", -95, -40, -91, -44},
};

// Where each submenu's rows start in kRows, and how many it has.
struct MenuSpan {
  const char* component;
  const char* caption;
  int first;
  int count;
  bool closesLocationMap;
};
constexpr MenuSpan kMenuSpans[kFeatureMenuCount] = {
    {"m_plan", "Planitiae (plains)", 0, 12, true},
    {"mensaeplateaus1", "Mensae (plateaus)", 12, 15, true},
    {"ChaoticTerrain1", "Chaotic Terrain", 27, 15, false},
    {"m_cter", "Cratered Terrain", 42, 9, true},
    {"m_craters", "Individual Craters", 51, 55, true},
    {"m_mountn", "Mountains and Uplands", 106, 34, true},
    {"m_val", "Channels", 140, 26, true},
    {"Valleya1", "Valleys", 166, 46, false},
};
static_assert(kMenuSpans[7].first + kMenuSpans[7].count == kFeatureCount);

std::array<FeatureMenu, kFeatureMenuCount> buildMenus() {
  std::array<FeatureMenu, kFeatureMenuCount> menus{};
  for (int m = 0; m < kFeatureMenuCount; ++m) {
    const MenuSpan& s = kMenuSpans[m];
    menus[m] = FeatureMenu{s.component, s.caption, std::span<const FeatureRow>(kRows + s.first, s.count),
                           s.closesLocationMap};
  }
  return menus;
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Levenshtein distance between two short texts.
std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

const std::array<FamilyInfo, kFeatureFamilyCount>& featureFamilies() { return kFamilies; }

const FamilyInfo& familyInfo(FeatureFamily family) { return kFamilies[static_cast<std::size_t>(family)]; }

std::span<const FeatureRow> featureRows() { return kRows; }

const std::array<FeatureMenu, kFeatureMenuCount>& featureMenus() {
  static const std::array<FeatureMenu, kFeatureMenuCount> menus = buildMenus();
  return menus;
}

const FeatureMenu& menuOf(const FeatureRow& row) {
  const auto index = &row - kRows;
  for (const FeatureMenu& menu : featureMenus()) {
    const auto first = menu.rows.data() - kRows;
    if (index >= first && index < first + static_cast<std::ptrdiff_t>(menu.rows.size())) return menu;
  }
  return featureMenus().back();  // not reached for a row of the table
}

const FeatureRow* findFeature(FeatureFamily family, int number) {
  for (const FeatureRow& row : kRows) {
    if (row.family == family && row.number == number) return &row;
  }
  return nullptr;
}

std::string featureTitle(FeatureFamily family, std::string_view caption) {
  const std::string_view suffix = familyInfo(family).titleSuffix;  // " (Planitiae)"
  // A caption that ends in a note of its own takes the family into that
  // note: "Olympia (N Pole; Planitiae)", one pair of brackets, not two.
  if (!caption.empty() && caption.back() == ')' && caption.find('(') != std::string_view::npos &&
      suffix.size() > 2) {
    return std::string(caption.substr(0, caption.size() - 1)) + "; " + std::string(suffix.substr(2));
  }
  return std::string(caption) + std::string(suffix);
}

std::vector<const FeatureRow*> featuresNamed(std::string_view name) {
  const std::string wanted = lowered(trimmed(name));
  std::vector<const FeatureRow*> found;
  if (wanted.empty()) return found;
  for (const FeatureRow& row : kRows) {
    if (lowered(row.caption) == wanted || lowered(row.component) == wanted) found.push_back(&row);
  }
  return found;
}

std::vector<std::string> closestCaptions(std::string_view name, std::size_t count) {
  const std::string wanted = lowered(trimmed(name));
  // (rank, distance, menu position) of each caption that qualifies.
  std::vector<std::tuple<int, std::size_t, int>> ranked;
  std::vector<std::string> seen;
  const std::size_t allowed = std::max<std::size_t>(2, wanted.size() / 3);
  for (int i = 0; i < kFeatureCount; ++i) {
    const std::string caption = lowered(kRows[i].caption);
    if (std::find(seen.begin(), seen.end(), caption) != seen.end()) continue;
    seen.push_back(caption);
    if (wanted.empty()) continue;
    if (caption.rfind(wanted, 0) == 0) {
      ranked.emplace_back(0, 0, i);
    } else if (caption.find(wanted) != std::string::npos) {
      ranked.emplace_back(1, 0, i);
    } else {
      // Against the whole caption and against its start of the same length,
      // so that a misspelt first word still finds the feature.
      const std::size_t whole = editDistance(wanted, caption);
      const std::size_t start = editDistance(wanted, caption.substr(0, wanted.size()));
      const std::size_t distance = std::min(whole, start + 1);
      if (distance <= allowed) ranked.emplace_back(2, distance, i);
    }
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> captions;
  for (const auto& [rank, distance, index] : ranked) {
    if (captions.size() == count) break;
    captions.emplace_back(kRows[index].caption);
  }
  return captions;
}

}  // namespace tarvelon
