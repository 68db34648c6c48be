#pragma once

// A small reader of a STEP file's text, for tests: entities by number, their types and
// arguments (as text, read with ref, str, num and items), measures converted from their own
// units. It knows nothing of OCCT, so what the bridge reports can be checked against what the
// file itself says.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace trx::test {

class StepText {
public:
    explicit StepText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string text = bytes.str();
        std::size_t i = text.find("DATA;");
        if (i == std::string::npos) return;
        i += 5;
        while (i < text.size()) {
            if (text.compare(i, 2, "/*") == 0) {
                i = text.find("*/", i);
                i = i == std::string::npos ? text.size() : i + 2;
            } else if (text[i] == '#') {
                const int id = std::atoi(text.c_str() + i + 1);
                const std::size_t eq = text.find('=', i);
                std::string body;
                bool quoted = false;
                std::size_t j = eq + 1;
                for (; j < text.size() && (quoted || text[j] != ';'); ++j) {
                    if (text[j] == '\'') quoted = !quoted;
                    if (quoted || !std::isspace(static_cast<unsigned char>(text[j])))
                        body += text[j];
                }
                m_entities[id] = body;
                i = j + 1;
            } else if (text.compare(i, 7, "ENDSEC;") == 0) {
                break;
            } else {
                ++i;
            }
        }
    }

    const std::map<int, std::string>& entities() const { return m_entities; }
    bool has(int id) const { return m_entities.count(id) > 0; }

    // The type names of an entity: one for a simple entity, each part of a complex one.
    std::vector<std::string> types(int id) const {
        std::vector<std::string> out;
        for (const auto& part : parts(id)) out.push_back(part.first);
        return out;
    }
    bool is(int id, const std::string& type) const {
        for (const auto& t : types(id))
            if (t == type) return true;
        return false;
    }
    // The arguments of the part of this type, split at the top level.
    std::vector<std::string> args(int id, const std::string& type) const {
        for (const auto& part : parts(id))
            if (part.first == type) return split(part.second);
        return {};
    }
    // Every entity with a part of this type, in number order.
    std::vector<int> all(const std::string& type) const {
        std::vector<int> out;
        for (const auto& e : m_entities)
            if (is(e.first, type)) out.push_back(e.first);
        return out;
    }
    // Every simple entity of this type, in number order.
    std::vector<int> simple(const std::string& type) const {
        std::vector<int> out;
        for (const auto& e : m_entities)
            if (e.second.compare(0, type.size(), type) == 0 && e.second[type.size()] == '(')
                out.push_back(e.first);
        return out;
    }
    // A simple entity's type and arguments; nothing for a complex one.
    std::string type(int id) const {
        const auto it = m_entities.find(id);
        return it == m_entities.end() || it->second[0] == '(' ? std::string()
                                                              : it->second.substr(0, it->second.find('('));
    }
    std::vector<std::string> args(int id) const { return args(id, type(id)); }
    // Entities that refer to id.
    const std::vector<int>& referrers(int id) const {
        if (m_referrers.empty())
            for (const auto& e : m_entities)
                for (int r : refsIn(e.second)) {
                    auto& list = m_referrers[r];
                    if (list.empty() || list.back() != e.first) list.push_back(e.first);
                }
        static const std::vector<int> none;
        auto it = m_referrers.find(id);
        return it == m_referrers.end() ? none : it->second;
    }

    static std::vector<int> refsIn(const std::string& s) {
        std::vector<int> out;
        bool quoted = false;  // 'Context #1' names nothing
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\'') quoted = !quoted;
            if (s[i] == '#' && !quoted) out.push_back(std::atoi(s.c_str() + i + 1));
        }
        return out;
    }
    static int ref(const std::string& arg) {
        return arg.size() > 1 && arg[0] == '#' ? std::atoi(arg.c_str() + 1) : 0;
    }
    static std::string str(const std::string& arg) {
        std::string out;
        if (arg.size() < 2 || arg.front() != '\'') return out;
        for (std::size_t i = 1; i + 1 < arg.size(); i += arg[i] == '\'' ? 2 : 1)
            out += arg[i];  // '' is one quote
        return out;
    }
    // A number, bare or typed (LENGTH_MEASURE(25.4)); 0 for anything else.
    static double num(const std::string& arg) {
        const bool typed = !arg.empty() && std::isalpha(static_cast<unsigned char>(arg[0]));
        return std::strtod(arg.c_str() + (typed ? arg.find('(') + 1 : 0), nullptr);
    }
    // The items of a list, or a typed value's one value.
    static std::vector<std::string> items(const std::string& arg) {
        const std::size_t open = arg[0] == '\'' ? std::string::npos : arg.find('(');
        if (open == std::string::npos || open + 2 >= arg.size()) return {};
        return split(arg.substr(open + 1, arg.size() - open - 2));
    }

    // A measure entity: its value converted from its unit (lengths to millimetres, angles to
    // degrees); nothing when the unit is neither.
    std::optional<double> measure(int id) const {
        for (const auto& part : parts(id)) {
            if (part.first != "MEASURE_WITH_UNIT" &&
                part.first.find("MEASURE_WITH_UNIT") == std::string::npos)
                continue;
            const auto a = split(part.second);
            if (a.size() < 2) continue;
            const double value = num(a[0]);
            const int unit = ref(a[1]);
            if (const double mm = unitMm(unit); mm > 0) return value * mm;
            if (const double deg = unitDeg(unit); deg > 0) return value * deg;
        }
        return std::nullopt;
    }
    // The name a measure representation item carries ("nominal value", ...).
    std::string itemName(int id) const {
        const auto a = args(id, "REPRESENTATION_ITEM");
        if (!a.empty()) return str(a[0]);
        const auto m = args(id, "MEASURE_REPRESENTATION_ITEM");
        return m.empty() ? std::string() : str(m[0]);
    }

    double unitMm(int unit) const {
        if (is(unit, "SI_UNIT") && is(unit, "LENGTH_UNIT")) {
            const auto a = args(unit, "SI_UNIT");
            if (a.size() < 2 || a[1] != ".METRE.") return 0;
            return 1000 * prefix(a[0]);
        }
        if (is(unit, "CONVERSION_BASED_UNIT") && is(unit, "LENGTH_UNIT")) {
            const auto a = args(unit, "CONVERSION_BASED_UNIT");
            return a.size() < 2 ? 0 : measure(ref(a[1])).value_or(0);
        }
        return 0;
    }
    double unitDeg(int unit) const {
        if (is(unit, "SI_UNIT") && is(unit, "PLANE_ANGLE_UNIT"))
            return 180 / 3.14159265358979323846;
        if (is(unit, "CONVERSION_BASED_UNIT") && is(unit, "PLANE_ANGLE_UNIT")) return 1;  // degrees
        return 0;
    }

private:
    static double prefix(const std::string& p) {
        if (p == ".MILLI.") return 1e-3;
        if (p == ".CENTI.") return 1e-2;
        if (p == ".DECI.") return 0.1;
        if (p == ".KILO.") return 1e3;
        if (p == ".MICRO.") return 1e-6;
        return 1;
    }

    // (type, argument text) of each part.
    std::vector<std::pair<std::string, std::string>> parts(int id) const {
        std::vector<std::pair<std::string, std::string>> out;
        auto it = m_entities.find(id);
        if (it == m_entities.end()) return out;
        const std::string& s = it->second;
        const bool complex = !s.empty() && s[0] == '(';
        std::size_t i = complex ? 1 : 0;
        while (i < s.size()) {
            std::size_t open = s.find('(', i);
            if (open == std::string::npos) break;
            const std::string name = s.substr(i, open - i);
            int depth = 0;
            bool quoted = false;
            std::size_t j = open;
            for (; j < s.size(); ++j) {
                if (s[j] == '\'') quoted = !quoted;
                if (quoted) continue;
                if (s[j] == '(') ++depth;
                if (s[j] == ')' && --depth == 0) break;
            }
            out.emplace_back(name, s.substr(open + 1, j - open - 1));
            if (!complex) break;
            i = j + 1;
            if (i < s.size() && s[i] == ')') break;
        }
        return out;
    }

    static std::vector<std::string> split(const std::string& s) {
        std::vector<std::string> out;
        std::string cur;
        int depth = 0;
        bool quoted = false;
        for (char c : s) {
            if (c == '\'') quoted = !quoted;
            if (!quoted && c == '(') ++depth;
            if (!quoted && c == ')') --depth;
            if (!quoted && depth == 0 && c == ',') {
                out.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        out.push_back(cur);
        return out;
    }

    std::map<int, std::string> m_entities;
    mutable std::map<int, std::vector<int>> m_referrers;
};

}  // namespace trx::test
