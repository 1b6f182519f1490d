// The help page that lists the gazetteer: every feature of the Map Area
// menu with its rectangle, submenu by submenu, written from the same table
// the menus are built from.
#include <sstream>
#include <string>

#include "core/AtomicFile.h"
#include "select/Gazetteer.h"
#include "tools/assets/Assets.h"

namespace tarvelon::assets {

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

// A latitude or longitude as the page shows it: 35&deg;N, 120&deg;W.
std::string degrees(int value, const char* positive, const char* negative) {
  if (value == 0) return "0&deg;";
  return std::to_string(value < 0 ? -value : value) + "&deg;" + (value < 0 ? negative : positive);
}

std::string longitude(int value) {
  // East bounds past 180 continue across the meridian.
  if (value > 180) value -= 360;
  return degrees(value, "E", "W");
}

}  // namespace

std::string featurePageHtml() {
  std::ostringstream page;
  page << "<html>\n<head>\n<title>The named features</title>\n"
          "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\">\n</head>\n<body>\n"
          "<h1>The named features</h1>\n"
          "<p>The eight submenus of <b>Map Area</b> hold " << kFeatureCount
       << " named features of Mars. Each is drawn as the rectangle given here, at a\n"
          "resolution chosen from its size. Longitudes are east-positive; a rectangle\n"
          "whose east edge lies across the 180&deg; meridian is drawn across it. The same\n"
          "list is printed by <code>tarvelon-render features</code>, and <b>Find a\n"
          "Feature...</b> (Ctrl+F) finds a feature by its name.</p>\n<p class=\"nav\">";
  bool first = true;
  for (const FeatureMenu& menu : featureMenus()) {
    page << (first ? "" : " &middot;\n") << "<a href=\"#" << menu.component << "\">" << escaped(menu.caption) << "</a>";
    first = false;
  }
  page << "</p>\n";
  for (const FeatureMenu& menu : featureMenus()) {
    page << "\n<h2><a name=\"" << menu.component << "\"></a>" << escaped(menu.caption) << "</h2>\n"
         << "<table border=\"1\">\n<tr><th>Feature</th><th>West</th><th>East</th><th>North</th><th>South</th>"
            "<th>Size</th></tr>\n";
    for (const FeatureRow& row : menu.rows) {
      page << "<tr><td>" << escaped(row.caption) << "</td><td>" << longitude(row.west) << "</td><td>"
           << longitude(row.east) << "</td><td>" << degrees(row.north, "N", "S") << "</td><td>"
           << degrees(row.south, "N", "S") << "</td><td>" << (row.east - row.west) << "&deg; x "
           << (row.north - row.south) << "&deg;</td></tr>\n";
    }
    page << "</table>\n";
  }
  page << "</body>\n</html>\n";
  return page.str();
}

void buildFeaturePage(const AssetContext& context) {
  AtomicFile file((context.out / "help" / "features.html").string());
  file.write(featurePageHtml());
  file.commit(false);
}

}  // namespace tarvelon::assets
