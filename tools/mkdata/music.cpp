// A small synthesizer and sequencer for the eleven music tracks. Each track is a chord
// progression with a bass line, a pad, an arpeggio, a lead melody made from the chords
// and a drum pattern, in its own key, tempo and mood. Rendering runs one bar past the
// loop and folds that tail back onto the start, so the loop joins without a click.
#include "tools/mkdata/music.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/mkdata/image.h"
#include "tools/mkdata/mkdata.h"

namespace mk {

namespace {

constexpr double kTwoPi = 6.283185307179586;

double Freq(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

enum class Wave { Sine, Square, Saw, Triangle, Pulse25 };

double Osc(Wave w, double phase) {
    double p = phase - std::floor(phase);
    switch (w) {
        case Wave::Sine:
            return std::sin(kTwoPi * p);
        case Wave::Square:
            return p < 0.5 ? 0.6 : -0.6;
        case Wave::Pulse25:
            return p < 0.25 ? 0.6 : -0.6;
        case Wave::Saw:
            return (2 * p - 1) * 0.6;
        case Wave::Triangle:
            return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    }
    return 0;
}

struct Voice {
    Wave wave = Wave::Square;
    double attack = 0.01, decay = 0.1, sustain = 0.7, release = 0.1;
    double gain = 0.2, pan = 0;  // pan -1 left .. 1 right
    double detune = 0;           // a second oscillator this many cents apart (0 = one)
    double vibrato = 0;          // semitones
    double cutoff = 1;           // one-pole low-pass, 0..1 of the band
    double fm = 0;               // frequency-modulation depth (bells)
};

// The mix being built: double precision, stereo.
class Mixer {
public:
    explicit Mixer(size_t frames) : l_(frames, 0), r_(frames, 0) {}
    size_t Frames() const { return l_.size(); }

    void Note(const Voice& v, double startSec, double lenSec, int midi, double velocity = 1) {
        const double f = Freq(midi);
        const size_t s0 = static_cast<size_t>(startSec * kMusicRate);
        const double total = lenSec + v.release;
        const size_t n = static_cast<size_t>(total * kMusicRate);
        double phase = 0, phase2 = 0, lp = 0;
        const double gl = v.gain * velocity * std::sqrt((1 - v.pan) * 0.5),
                     gr = v.gain * velocity * std::sqrt((1 + v.pan) * 0.5);
        for (size_t i = 0; i < n && s0 + i < l_.size(); ++i) {
            double t = static_cast<double>(i) / kMusicRate;
            double env;
            if (t < v.attack)
                env = t / v.attack;
            else if (t < v.attack + v.decay)
                env = 1 - (1 - v.sustain) * (t - v.attack) / v.decay;
            else
                env = v.sustain;
            if (t > lenSec) env *= std::max(0.0, 1 - (t - lenSec) / v.release);
            double fr =
                f * (1 + (v.vibrato > 0
                              ? (std::pow(2.0, v.vibrato * std::sin(kTwoPi * 5.5 * t) / 12) - 1) *
                                    std::min(1.0, t * 3)
                              : 0));
            double mod = v.fm > 0 ? v.fm * std::sin(kTwoPi * phase * 2.0) * std::exp(-t * 3) : 0;
            double x = Osc(v.wave, phase + mod);
            if (v.detune != 0) x = 0.5 * (x + Osc(v.wave, phase2));
            lp += (x - lp) * v.cutoff;
            double y = lp * env;
            l_[s0 + i] += y * gl;
            r_[s0 + i] += y * gr;
            phase += fr / kMusicRate;
            phase2 += fr * std::pow(2.0, v.detune / 1200) / kMusicRate;
        }
    }

    void Kick(double t, double gain) {
        size_t s0 = static_cast<size_t>(t * kMusicRate);
        double phase = 0;
        for (size_t i = 0; i < static_cast<size_t>(0.3 * kMusicRate) && s0 + i < l_.size(); ++i) {
            double tt = static_cast<double>(i) / kMusicRate;
            double f = 45 + 120 * std::exp(-tt * 30);
            phase += f / kMusicRate;
            double y = std::sin(kTwoPi * phase) * std::exp(-tt * 9) * gain;
            l_[s0 + i] += y;
            r_[s0 + i] += y;
        }
    }

    void Noise(double t, double len, double gain, double tone, double brightness, double pan,
               uint32_t seed) {
        size_t s0 = static_cast<size_t>(t * kMusicRate);
        uint32_t x = seed * 2654435761u + 1;
        double lp = 0, prev = 0, phase = 0;
        for (size_t i = 0; i < static_cast<size_t>(len * kMusicRate) && s0 + i < l_.size(); ++i) {
            double tt = static_cast<double>(i) / kMusicRate;
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            double n = (x & 0xFFFF) / 32768.0 - 1;
            lp += (n - lp) * brightness;
            double hp = lp - prev * 0.6;  // a little high-pass for the hats
            prev = lp;
            phase += 190.0 / kMusicRate;
            double y = (hp * (1 - tone) + std::sin(kTwoPi * phase) * tone) *
                       std::exp(-tt / (len * 0.3)) * gain;
            l_[s0 + i] += y * std::sqrt((1 - pan) * 0.5);
            r_[s0 + i] += y * std::sqrt((1 + pan) * 0.5);
        }
    }

    // Folds everything past `loop` frames back onto the start and limits to 16 bits.
    std::vector<int16_t> Finish(size_t loop, double master, bool fadeOut) {
        for (size_t i = loop; i < l_.size(); ++i) {
            l_[i - loop] += l_[i];
            r_[i - loop] += r_[i];
        }
        std::vector<int16_t> out(loop * 2);
        double peak = 1e-9;
        for (size_t i = 0; i < loop; ++i)
            peak = std::max({peak, std::fabs(l_[i]), std::fabs(r_[i])});
        double g = std::min(master * 4, 1.5 / peak);  // a soft limiter below takes the peaks
        for (size_t i = 0; i < loop; ++i) {
            double k = g;
            if (fadeOut) {
                double t = static_cast<double>(i) / loop;
                k *= t > 0.8 ? std::max(0.0, (1 - t) / 0.2) : 1;
                if (i < 64) k *= i / 64.0;
            }
            auto clip = [](double v) {
                return static_cast<int16_t>(std::clamp(std::lround(v * 32767), -32767L, 32767L));
            };
            out[2 * i] = clip(std::tanh(l_[i] * k) * 0.92);
            out[2 * i + 1] = clip(std::tanh(r_[i] * k) * 0.92);
        }
        return out;
    }

private:
    std::vector<double> l_, r_;
};

struct Song {
    double bpm;
    int root;                 // MIDI note of the key's tonic (around C3)
    std::vector<int> scale;   // semitone steps of the scale from the tonic
    std::vector<int> chords;  // scale degree (0-based) of each bar's chord
    int bars;
    int drums;  // 0 none, 1 rock, 2 driving, 3 half-time, 4 shuffle, 5 march
    Voice lead, pad, bass, arp;
    int leadOctave = 2;    // octaves above the root
    double density = 0.6;  // how busy the melody is
    bool fadeOut = false;  // tracks that play once end in silence
    uint32_t seed;
};

const std::vector<int> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> kHarmonic = {0, 2, 3, 5, 7, 8, 11};
const std::vector<int> kDorian = {0, 2, 3, 5, 7, 9, 10};
const std::vector<int> kMixolydian = {0, 2, 4, 5, 7, 9, 10};

int ScaleNote(const Song& s, int degree) {
    int oct = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    int d = degree - oct * 7;
    return s.root + oct * 12 + s.scale[static_cast<size_t>(d)];
}

Voice V(Wave w, double gain, double a, double d, double s, double r, double pan = 0,
        double cutoff = 1) {
    Voice v;
    v.wave = w;
    v.gain = gain;
    v.attack = a;
    v.decay = d;
    v.sustain = s;
    v.release = r;
    v.pan = pan;
    v.cutoff = cutoff;
    return v;
}

Song SongOf(int track) {
    Song s;
    Voice lead = V(Wave::Square, 0.16, 0.01, 0.12, 0.6, 0.08, 0.1, 0.5);
    lead.vibrato = 0.15;
    Voice pad = V(Wave::Saw, 0.07, 0.25, 0.4, 0.7, 0.5, 0, 0.08);
    pad.detune = 9;
    Voice bass = V(Wave::Saw, 0.2, 0.005, 0.15, 0.5, 0.05, 0, 0.12);
    Voice arp = V(Wave::Pulse25, 0.06, 0.005, 0.08, 0.2, 0.05, -0.35, 0.35);
    s.lead = lead;
    s.pad = pad;
    s.bass = bass;
    s.arp = arp;
    s.seed = 100 + static_cast<uint32_t>(track);
    switch (track) {
        case 0:  // title: heroic, major
            s.bpm = 128;
            s.root = 50;
            s.scale = kMajor;
            s.chords = {0, 4, 5, 3, 0, 4, 3, 4, 5, 3, 0, 4, 5, 3, 4, 4};
            s.bars = 16;
            s.drums = 1;
            s.lead.wave = Wave::Saw;
            s.lead.cutoff = 0.35;
            s.lead.detune = 6;
            break;
        case 1:  // stage theme 1: bright and adventurous
            s.bpm = 142;
            s.root = 50;
            s.scale = kMixolydian;
            s.chords = {0, 6, 3, 0, 0, 6, 4, 4, 3, 4, 0, 5, 3, 6, 4, 4};
            s.bars = 16;
            s.drums = 2;
            break;
        case 2:  // stage theme 2: tense, driving minor
            s.bpm = 150;
            s.root = 52;
            s.scale = kMinor;
            s.chords = {0, 0, 5, 6, 0, 0, 3, 4, 5, 6, 0, 3, 5, 6, 4, 4};
            s.bars = 16;
            s.drums = 2;
            s.lead.wave = Wave::Pulse25;
            s.density = 0.75;
            break;
        case 3:  // stage theme 3: dark and grand
            s.bpm = 136;
            s.root = 48;
            s.scale = kHarmonic;
            s.chords = {0, 5, 3, 4, 0, 5, 1, 4, 5, 3, 0, 4, 5, 6, 4, 4};
            s.bars = 16;
            s.drums = 1;
            s.lead.wave = Wave::Saw;
            s.lead.cutoff = 0.3;
            s.lead.detune = 8;
            s.pad.gain = 0.09;
            break;
        case 4:  // story interval: calm
            s.bpm = 88;
            s.root = 53;
            s.scale = kMajor;
            s.chords = {0, 5, 3, 4, 0, 5, 1, 4, 3, 4};
            s.bars = 10;
            s.drums = 3;
            s.lead = V(Wave::Sine, 0.17, 0.005, 0.6, 0.3, 0.4, 0.15);
            s.lead.fm = 0.8;
            s.density = 0.45;
            break;
        case 5:  // shop: cheerful and bouncy
            s.bpm = 112;
            s.root = 55;
            s.scale = kMajor;
            s.chords = {0, 3, 4, 0, 0, 5, 1, 4, 3, 4, 0, 0};
            s.bars = 12;
            s.drums = 4;
            s.lead = V(Wave::Triangle, 0.2, 0.005, 0.15, 0.5, 0.1, 0.1);
            s.bass.wave = Wave::Triangle;
            s.bass.gain = 0.28;
            break;
        case 6:  // ending: warm
            s.bpm = 100;
            s.root = 46;
            s.scale = kMajor;
            s.chords = {0, 4, 5, 3, 0, 4, 3, 4, 5, 2, 3, 4};
            s.bars = 12;
            s.drums = 3;
            s.lead = V(Wave::Triangle, 0.2, 0.02, 0.3, 0.6, 0.3, 0.1);
            s.lead.vibrato = 0.2;
            break;
        case 7:  // staff roll: nostalgic
            s.bpm = 96;
            s.root = 57;
            s.scale = kMajor;
            s.chords = {3, 4, 2, 5, 1, 4, 0, 0, 3, 4, 5, 4};
            s.bars = 12;
            s.drums = 3;
            s.lead = V(Wave::Sine, 0.18, 0.005, 0.5, 0.35, 0.5, 0.15);
            s.lead.fm = 1.2;
            break;
        case 8:  // result: fanfare, plays once
            s.bpm = 120;
            s.root = 48;
            s.scale = kMajor;
            s.chords = {0, 3, 4, 0, 5, 3, 4, 4, 0, 3, 4, 0};
            s.bars = 12;
            s.drums = 5;
            s.lead.wave = Wave::Saw;
            s.lead.cutoff = 0.4;
            s.fadeOut = true;
            break;
        case 9:  // game over: slow and sad, plays once
            s.bpm = 72;
            s.root = 45;
            s.scale = kMinor;
            s.chords = {0, 5, 3, 4, 0, 5, 4};
            s.bars = 7;
            s.drums = 0;
            s.lead = V(Wave::Sine, 0.18, 0.01, 0.8, 0.4, 0.6, 0);
            s.lead.fm = 0.5;
            s.density = 0.35;
            s.fadeOut = true;
            break;
        default:  // select: light anticipation
            s.bpm = 120;
            s.root = 52;
            s.scale = kDorian;
            s.chords = {0, 3, 0, 3, 5, 4, 0, 4, 0, 3, 5, 6};
            s.bars = 12;
            s.drums = 4;
            s.lead = V(Wave::Pulse25, 0.13, 0.005, 0.1, 0.5, 0.08, 0.1, 0.6);
            s.density = 0.5;
            break;
    }
    return s;
}

void Drums(Mixer& m, int style, double start, double beat, int bar) {
    uint32_t seed = static_cast<uint32_t>(bar * 97);
    for (int b = 0; b < 4; ++b) {
        double t = start + b * beat;
        switch (style) {
            case 1:  // rock
                if (b % 2 == 0) m.Kick(t, 0.55);
                if (b % 2 == 1) m.Noise(t, 0.18, 0.32, 0.35, 0.6, 0, seed + b);
                m.Noise(t, 0.05, 0.1, 0, 0.9, 0.3, seed + 10 + b);
                m.Noise(t + beat / 2, 0.05, 0.07, 0, 0.9, 0.3, seed + 20 + b);
                if (bar % 4 == 3 && b == 3) m.Kick(t + beat / 2, 0.45);
                break;
            case 2:  // driving
                m.Kick(t, 0.5);
                if (b % 2 == 1) m.Noise(t, 0.16, 0.3, 0.3, 0.65, 0, seed + b);
                for (int k = 0; k < 2; ++k)
                    m.Noise(t + k * beat / 2, 0.04, 0.08, 0, 0.95, -0.3, seed + 30 + b * 2 + k);
                if (b == 3 && bar % 2 == 1)
                    m.Noise(t + beat / 2, 0.12, 0.2, 0.3, 0.6, 0, seed + 40);
                break;
            case 3:  // half time, soft
                if (b == 0) m.Kick(t, 0.35);
                if (b == 2) m.Noise(t, 0.2, 0.16, 0.4, 0.5, 0, seed + b);
                m.Noise(t, 0.06, 0.05, 0, 0.85, 0.3, seed + 10 + b);
                break;
            case 4:  // shuffle
                if (b % 2 == 0) m.Kick(t, 0.45);
                if (b % 2 == 1) m.Noise(t, 0.12, 0.22, 0.4, 0.6, 0, seed + b);
                m.Noise(t, 0.04, 0.08, 0, 0.9, 0.3, seed + 10 + b);
                m.Noise(t + beat * 2 / 3, 0.04, 0.06, 0, 0.9, 0.3, seed + 20 + b);
                break;
            case 5:  // march
                m.Kick(t, b == 0 ? 0.55 : 0.35);
                m.Noise(t + beat / 2, 0.1, 0.18, 0.45, 0.55, 0, seed + b);
                if (b == 3) m.Noise(t + beat * 3 / 4, 0.08, 0.14, 0.45, 0.55, 0, seed + 9);
                break;
            default:
                break;
        }
    }
}

}  // namespace

std::vector<int16_t> RenderTrack(int track) {
    Song s = SongOf(track);
    const double beat = 60.0 / s.bpm, barLen = beat * 4;
    const size_t loop = static_cast<size_t>(std::lround(barLen * s.bars * kMusicRate));
    Mixer m(loop + static_cast<size_t>(barLen * kMusicRate) + kMusicRate);
    Rng rng(s.seed);
    // A two-bar motif of rhythms, reused with the chords changing under it.
    std::vector<std::vector<double>> motif(2);
    for (int b = 0; b < 2; ++b) {
        double t = 0;
        while (t < 3.99) {
            double len = rng.Unit() < s.density ? 0.5 : (rng.Unit() < 0.5 ? 1.0 : 1.5);
            if (t + len > 4) len = 4 - t;
            motif[static_cast<size_t>(b)].push_back(len);
            t += len;
        }
    }
    int prevNote = ScaleNote(s, 7 * s.leadOctave);
    for (int bar = 0; bar < s.bars; ++bar) {
        // Notes ringing past the loop's end are folded back onto its start by Finish.
        int b = bar;
        double t0 = bar * barLen;
        int deg = s.chords[static_cast<size_t>(b)];
        int triad[3] = {deg, deg + 2, deg + 4};
        // Pad: the triad held across the bar.
        for (int k = 0; k < 3; ++k) m.Note(s.pad, t0, barLen * 0.98, ScaleNote(s, triad[k] + 7), 1);
        // Bass: roots and fifths in eighths or quarters.
        for (int e = 0; e < 8; ++e) {
            bool on = s.drums == 3 || s.drums == 0 ? e % 2 == 0 : true;
            if (!on) continue;
            int note = ScaleNote(s, (e % 4 == 3) ? deg + 4 : deg) - 12;
            m.Note(s.bass, t0 + e * beat / 2, beat / 2 * 0.8, note, e % 2 ? 0.75 : 1);
        }
        // Arpeggio in sixteenths over two octaves of the triad.
        if (s.drums != 0)
            for (int x = 0; x < 16; ++x) {
                int step = x % 6 < 3 ? x % 6 : 6 - x % 6;
                m.Note(s.arp, t0 + x * beat / 4, beat / 4 * 0.7,
                       ScaleNote(s, triad[step % 3] + 14 + (step / 3) * 7), 0.8);
            }
        // Lead: the motif's rhythm; strong beats on chord tones near the last note.
        const std::vector<double>& rhythm = motif[static_cast<size_t>(b % 2)];
        double t = 0;
        Rng noteRng(s.seed * 31 + static_cast<uint32_t>(b) * 7);
        for (size_t i = 0; i < rhythm.size(); ++i) {
            double len = rhythm[i];
            bool strong = std::fmod(t, 1.0) < 0.01;
            int best = prevNote, bestScore = 1000;
            for (int cand = -5; cand <= 5; ++cand) {
                int note = prevNote + cand;
                // Keep to the scale.
                int rel = ((note - s.root) % 12 + 12) % 12;
                if (std::find(s.scale.begin(), s.scale.end(), rel) == s.scale.end()) continue;
                bool chordTone = false;
                for (int k : triad)
                    chordTone = chordTone || ((ScaleNote(s, k) - note) % 12 + 12) % 12 == 0;
                int score = std::abs(cand) * 2 + (strong && !chordTone ? 10 : 0) +
                            static_cast<int>(noteRng.Unit() * 6);
                int centre = ScaleNote(s, 7 * s.leadOctave + 2);
                score += std::abs(note - centre) / 3;
                if (cand == 0) score += 3;
                if (score < bestScore) {
                    bestScore = score;
                    best = note;
                }
            }
            bool rest = !strong && noteRng.Unit() < 0.12;
            if (!rest) m.Note(s.lead, t0 + t * beat, len * beat * 0.9, best, strong ? 1.0 : 0.85);
            prevNote = best;
            t += len;
        }
        Drums(m, s.drums, t0, beat, b);
    }
    return m.Finish(loop, 1.0, s.fadeOut);
}

Bytes EncodeWave(const std::vector<int16_t>& stereo, int rate) {
    Bytes b;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(stereo.size() * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(36 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);  // PCM
    put16(2);
    put32(static_cast<uint32_t>(rate));
    put32(static_cast<uint32_t>(rate) * 4);
    put16(4);
    put16(16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(dataBytes);
    for (int16_t s : stereo) put16(static_cast<uint16_t>(s));
    return b;
}

void AddMusicJobs(std::vector<Job>& jobs) {
    static const char* names[11] = {"title", "stage1", "stage2", "stage3", "intervel", "shop",
                                    "ed",    "staff",  "result", "over",   "select"};
    for (int t = 0; t < 11; ++t) {
        std::string name = std::string("BGM/") + names[t] + ".wav";
        jobs.push_back({name, [t, name](Output& out) {
                            out.Add(name, EncodeWave(RenderTrack(t), kMusicRate));
                        }});
    }
}

}  // namespace mk
