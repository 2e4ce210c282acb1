// A compact text notation for the parts of a piece, read into timed steps.
//
//   c4 f#5 bb3   a note: letter, sharp (#) or flat (b), octave (c4 = key 60)
//   c4q          with a length: w h q e s (whole to sixteenth); "." dots
//                it, "t" makes it a triplet; a step without a length keeps
//                the length of the step before
//   r  re.       a rest, with a length like a note
//   c4+e4+g4h    a chord
//   @40          General MIDI program 40 (counted from 0) from here on
//   v90          velocity 90 from here on
//   $name        the text of a named phrase of the piece
//   ( ... )3     the group three times
//   |            a bar line, for the reader only
#pragma once

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace midi {

struct Step {
    enum class Kind { Sound, Program, Velocity };
    Kind kind = Kind::Sound;
    std::vector<int> keys; // a sound's keys; none for a rest
    double beats = 0;      // a sound's length in quarter notes
    int value = 0;         // the program or the velocity
};

using Phrases = std::map<std::string, std::string>;

namespace detail {

inline void Tokens(const std::string& text, const Phrases& phrases, int depth, std::vector<std::string>& out) {
    if (depth > 16) throw std::invalid_argument("phrases nest too deep");
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        if (token == "|") continue;
        if (token[0] != '$') {
            out.push_back(token);
            continue;
        }
        const auto found = phrases.find(token.substr(1));
        if (found == phrases.end()) throw std::invalid_argument("unknown phrase " + token);
        Tokens(found->second, phrases, depth + 1, out);
    }
}

// Length letter and modifiers from text[i] on; keeps beats when there are none.
inline void ReadLength(const std::string& text, std::size_t i, double& beats) {
    if (i == text.size()) return;
    static const std::map<char, double> kLengths = {{'w', 4}, {'h', 2}, {'q', 1}, {'e', 0.5}, {'s', 0.25}};
    const auto length = kLengths.find(text[i]);
    if (length == kLengths.end()) throw std::invalid_argument("bad length in " + text);
    beats = length->second;
    for (++i; i < text.size(); ++i) {
        if (text[i] == '.')
            beats *= 1.5;
        else if (text[i] == 't')
            beats = beats * 2 / 3;
        else
            throw std::invalid_argument("bad length in " + text);
    }
}

// One note or rest of a sound token; returns its key, or -1 for a rest.
inline int ReadPitch(const std::string& text, double& beats) {
    static const std::map<char, int> kSteps = {{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5}, {'g', 7}, {'a', 9}, {'b', 11}};
    if (text.empty()) throw std::invalid_argument("empty note");
    if (text[0] == 'r') {
        ReadLength(text, 1, beats);
        return -1;
    }
    const auto step = kSteps.find(text[0]);
    if (step == kSteps.end()) throw std::invalid_argument("bad note " + text);
    int key = step->second;
    std::size_t i = 1;
    for (; i < text.size() && (text[i] == '#' || text[i] == 'b'); ++i) key += text[i] == '#' ? 1 : -1;
    if (i == text.size() || text[i] < '0' || text[i] > '9') throw std::invalid_argument("no octave in " + text);
    key += 12 * (text[i++] - '0' + 1);
    ReadLength(text, i, beats);
    return key;
}

inline Step ReadStep(const std::string& token, double& beats) {
    Step step;
    if (token[0] == '@' || token[0] == 'v') {
        step.kind = token[0] == '@' ? Step::Kind::Program : Step::Kind::Velocity;
        step.value = std::stoi(token.substr(1));
        return step;
    }
    std::istringstream parts(token);
    for (std::string part; std::getline(parts, part, '+');) {
        const int key = ReadPitch(part, beats);
        if (key >= 0) step.keys.push_back(key);
    }
    step.beats = beats;
    return step;
}

} // namespace detail

// The steps of text, with its phrases and groups written out.
inline std::vector<Step> ParseSteps(const std::string& text, const Phrases& phrases = {}) {
    std::vector<std::string> tokens;
    detail::Tokens(text, phrases, 0, tokens);
    std::vector<std::vector<Step>> groups(1);
    double beats = 1;
    for (const std::string& token : tokens) {
        if (token == "(") {
            groups.emplace_back();
        } else if (token[0] == ')') {
            if (groups.size() < 2) throw std::invalid_argument("unopened group");
            const int times = token.size() > 1 ? std::stoi(token.substr(1)) : 1;
            const std::vector<Step> group = std::move(groups.back());
            groups.pop_back();
            for (int n = 0; n < times; ++n) groups.back().insert(groups.back().end(), group.begin(), group.end());
        } else {
            groups.back().push_back(detail::ReadStep(token, beats));
        }
    }
    if (groups.size() != 1) throw std::invalid_argument("unclosed group");
    return groups.front();
}

inline double TotalBeats(const std::vector<Step>& steps) {
    double total = 0;
    for (const Step& s : steps) total += s.beats;
    return total;
}

} // namespace midi
