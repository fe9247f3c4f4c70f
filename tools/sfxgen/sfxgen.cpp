// Synthesizes the game's 30 sound effects (numbers 287 to 316) as 16-bit mono WAVE files
// at 22050 Hz: sfxgen <output folder> writes <folder>/<number>.wav for each.
//
// Every sound is built from a few parts: tones (band-limited oscillators with a pitch
// glide, vibrato and an attack/decay envelope), filtered noise (a low-pass that glides,
// an optional high-pass) and a resonant band-pass for swept noise. Noise comes from a
// fixed-seed generator, so the output is the same on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

enum class Wave { Sine, Square, Pulse, Saw, Triangle };

struct Sound {
    std::vector<double> s;
    explicit Sound(double seconds) : s(static_cast<size_t>(seconds * kRate), 0.0) {}
    size_t At(double t) const { return std::min(s.size(), static_cast<size_t>(t * kRate)); }
};

// Attack to full level, then an exponential decay (tau 0: none), and a short release at
// the end so no part ends on a step.
struct Envelope {
    double attack = 0.002;
    double decay = 0.0;
    double release = 0.004;
};

double EnvelopeAt(const Envelope& e, double t, double length) {
    double v = t < e.attack ? t / e.attack : 1.0;
    if (e.decay > 0.0 && t > e.attack) v *= std::exp(-(t - e.attack) / e.decay);
    double left = length - t;
    if (left < e.release) v *= std::max(0.0, left / e.release);
    return v;
}

// The correction that takes the step out of a naive oscillator at a wrap (PolyBLEP).
double Blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Oscillator(Wave wave, double phase, double dt, double duty) {
    switch (wave) {
        case Wave::Sine:
            return std::sin(2.0 * kPi * phase);
        case Wave::Triangle:
            return 1.0 - 4.0 * std::fabs(phase - 0.5);
        case Wave::Saw:
            return 2.0 * phase - 1.0 - Blep(phase, dt);
        case Wave::Square:
            duty = 0.5;
            [[fallthrough]];
        case Wave::Pulse: {
            double v = phase < duty ? 1.0 : -1.0;
            return v + Blep(phase, dt) - Blep(std::fmod(phase + 1.0 - duty, 1.0), dt);
        }
    }
    return 0.0;
}

struct Tone {
    double start = 0.0;
    double length = 0.1;
    double from = 440.0;  // Hz at the start
    double to = 440.0;    // Hz at the end (the glide is exponential)
    Wave wave = Wave::Sine;
    double amp = 0.5;
    Envelope env;
    double duty = 0.25;  // Pulse only
    double vibratoHz = 0.0;
    double vibratoDepth = 0.0;  // fraction of the frequency
};

void Add(Sound* out, const Tone& tone) {
    size_t first = out->At(tone.start);
    size_t last = out->At(tone.start + tone.length);
    double phase = 0.0;
    for (size_t i = first; i < last; ++i) {
        double t = static_cast<double>(i - first) / kRate;
        double f = tone.from * std::pow(tone.to / tone.from, t / tone.length);
        if (tone.vibratoDepth > 0.0) {
            f *= 1.0 + tone.vibratoDepth * std::sin(2.0 * kPi * tone.vibratoHz * t);
        }
        double dt = f / kRate;
        out->s[i] += tone.amp * EnvelopeAt(tone.env, t, tone.length) *
                     Oscillator(tone.wave, phase, dt, tone.duty);
        phase += dt;
        phase -= std::floor(phase);
    }
}

class NoiseSource {
public:
    explicit NoiseSource(uint32_t seed) : state_(seed ? seed : 1u) {}
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ / 2147483647.5 - 1.0;
    }

private:
    uint32_t state_;
};

struct Noise {
    double start = 0.0;
    double length = 0.1;
    double amp = 0.5;
    Envelope env;
    double lowFrom = 8000.0;  // low-pass cut-off, gliding exponentially
    double lowTo = 8000.0;
    double high = 0.0;  // high-pass cut-off (0: none)
    // Amplitude modulation by a square of this rate (0: none), for grinding sounds.
    double chopHz = 0.0;
    uint32_t seed = 1;
};

double OnePoleCoefficient(double cutoff) {
    return 1.0 - std::exp(-2.0 * kPi * std::min(cutoff, kRate * 0.45) / kRate);
}

void Add(Sound* out, const Noise& n) {
    NoiseSource source(n.seed);
    size_t first = out->At(n.start);
    size_t last = out->At(n.start + n.length);
    double low1 = 0.0, low2 = 0.0, highState = 0.0;
    double hp = n.high > 0.0 ? OnePoleCoefficient(n.high) : 0.0;
    for (size_t i = first; i < last; ++i) {
        double t = static_cast<double>(i - first) / kRate;
        double cutoff = n.lowFrom * std::pow(n.lowTo / n.lowFrom, t / n.length);
        double a = OnePoleCoefficient(cutoff);
        double x = source.Next();
        low1 += a * (x - low1);
        low2 += a * (low1 - low2);  // two poles: a softer hiss
        double y = low2;
        if (hp > 0.0) {
            highState += hp * (y - highState);
            y -= highState;
        }
        if (n.chopHz > 0.0) y *= std::fmod(t * n.chopHz, 1.0) < 0.5 ? 1.0 : 0.35;
        out->s[i] += n.amp * EnvelopeAt(n.env, t, n.length) * y;
    }
}

// Noise through a resonant band-pass whose centre glides from -> peak -> to.
struct Sweep {
    double start = 0.0;
    double length = 0.4;
    double amp = 0.5;
    Envelope env;
    double from = 400.0, peak = 2500.0, to = 600.0;
    double resonance = 0.25;  // damping: lower rings more
    uint32_t seed = 1;
};

void Add(Sound* out, const Sweep& w) {
    NoiseSource source(w.seed);
    size_t first = out->At(w.start);
    size_t last = out->At(w.start + w.length);
    double low = 0.0, band = 0.0;
    for (size_t i = first; i < last; ++i) {
        double t = static_cast<double>(i - first) / kRate;
        double u = t / w.length;
        double centre = u < 0.5 ? w.from * std::pow(w.peak / w.from, u * 2.0)
                                : w.peak * std::pow(w.to / w.peak, (u - 0.5) * 2.0);
        double f = 2.0 * std::sin(kPi * std::min(centre, kRate * 0.2) / kRate);
        double x = source.Next();
        low += f * band;
        double high = x - low - w.resonance * band;
        band += f * high;
        out->s[i] += w.amp * EnvelopeAt(w.env, t, w.length) * band;
    }
}

// A struck bell: a few inharmonic sine partials with their own decays.
void AddBell(Sound* out, double start, double length, double f, double amp, double decay) {
    const double ratios[] = {1.0, 2.76, 5.40};
    const double levels[] = {1.0, 0.45, 0.2};
    for (int k = 0; k < 3; ++k) {
        Tone p;
        p.start = start;
        p.length = length;
        p.from = p.to = f * ratios[k];
        p.amp = amp * levels[k];
        p.env.attack = 0.001;
        p.env.decay = decay / (1.0 + k);
        p.env.release = 0.01;
        Add(out, p);
    }
}

// Scales the sound to the given peak.
void Normalize(Sound* s, double peak) {
    double top = 0.0;
    for (double v : s->s) top = std::max(top, std::fabs(v));
    if (top <= 0.0) return;
    for (double& v : s->s) v *= peak / top;
}

// ---- The effects, by number.

Sound Decide() {  // 287: a bright rising pair of notes
    Sound s(0.2);
    Tone a{0.0, 0.06, 1318.5, 1318.5, Wave::Pulse, 0.5, {0.002, 0.05, 0.01}};
    Tone b{0.05, 0.15, 1760.0, 1760.0, Wave::Pulse, 0.5, {0.002, 0.07, 0.02}};
    Add(&s, a);
    Add(&s, b);
    Add(&s, Tone{0.05, 0.15, 3520.0, 3520.0, Wave::Sine, 0.15, {0.002, 0.05, 0.02}});
    Normalize(&s, 0.6);
    return s;
}

Sound Cursor() {  // 288: a short soft blip
    Sound s(0.05);
    Add(&s, Tone{0.0, 0.045, 1568.0, 1480.0, Wave::Triangle, 0.6, {0.001, 0.018, 0.01}});
    Normalize(&s, 0.5);
    return s;
}

Sound Cancel() {  // 289: a falling pair of low buzzy notes
    Sound s(0.18);
    Tone a{0.0, 0.07, 392.0, 392.0, Wave::Square, 0.45, {0.002, 0.06, 0.01}};
    Tone b{0.065, 0.11, 262.0, 247.0, Wave::Square, 0.45, {0.002, 0.06, 0.02}};
    Add(&s, a);
    Add(&s, b);
    Normalize(&s, 0.55);
    return s;
}

Sound Hit() {  // 290: a metallic impact
    Sound s(0.12);
    Add(&s, Noise{0.0, 0.03, 0.8, {0.0005, 0.008, 0.005}, 9000.0, 3000.0, 1200.0, 0.0, 290});
    Add(&s, Tone{0.0, 0.11, 2200.0, 2050.0, Wave::Sine, 0.35, {0.001, 0.03, 0.01}});
    Add(&s, Tone{0.0, 0.08, 3130.0, 3000.0, Wave::Sine, 0.2, {0.001, 0.02, 0.01}});
    Normalize(&s, 0.6);
    return s;
}

Sound Explosion() {  // 291: a rumbling blast that dies away
    Sound s(0.95);
    Add(&s, Noise{0.0, 0.95, 1.0, {0.004, 0.28, 0.05}, 3500.0, 180.0, 0.0, 0.0, 291});
    Add(&s, Tone{0.0, 0.4, 90.0, 38.0, Wave::Sine, 0.7, {0.003, 0.15, 0.05}});
    // Crackle: short bright bursts early in the blast.
    for (int k = 0; k < 6; ++k) {
        double at = 0.03 + 0.045 * k + 0.011 * (k % 3);
        Add(&s, Noise{at,
                      0.02,
                      0.35 / (1 + k * 0.4),
                      {0.0005, 0.006, 0.004},
                      7000.0,
                      4000.0,
                      800.0,
                      0.0,
                      static_cast<uint32_t>(3000 + k)});
    }
    Normalize(&s, 0.9);
    return s;
}

Sound EnemyCannon() {  // 292: a low thump with a puff of noise
    Sound s(0.26);
    Add(&s, Tone{0.0, 0.18, 190.0, 60.0, Wave::Sine, 0.8, {0.002, 0.07, 0.02}});
    Add(&s, Noise{0.0, 0.2, 0.6, {0.002, 0.06, 0.03}, 2200.0, 500.0, 0.0, 0.0, 292});
    Normalize(&s, 0.7);
    return s;
}

Sound LockOn() {  // 293: a quick high double beep
    Sound s(0.1);
    Add(&s, Tone{0.0, 0.032, 1900.0, 1900.0, Wave::Square, 0.4, {0.001, 0.0, 0.004}});
    Add(&s, Tone{0.055, 0.035, 2400.0, 2400.0, Wave::Square, 0.4, {0.001, 0.0, 0.004}});
    Normalize(&s, 0.42);
    return s;
}

Sound Vulcan() {  // 294: one short gun report (it repeats 12 times a second)
    Sound s(0.065);
    Add(&s, Noise{0.0, 0.05, 0.9, {0.0005, 0.014, 0.006}, 6000.0, 1500.0, 500.0, 0.0, 294});
    Add(&s, Tone{0.0, 0.04, 900.0, 280.0, Wave::Square, 0.3, {0.0005, 0.012, 0.005}});
    Normalize(&s, 0.4);
    return s;
}

Sound ChargedBurst() {  // 295: the release of a charged shot: a big falling blast
    Sound s(0.62);
    Add(&s, Tone{0.0, 0.4, 1300.0, 140.0, Wave::Saw, 0.5, {0.002, 0.16, 0.03}});
    Add(&s, Tone{0.0, 0.5, 130.0, 45.0, Wave::Sine, 0.6, {0.003, 0.2, 0.05}});
    Add(&s, Noise{0.0, 0.6, 0.6, {0.003, 0.15, 0.05}, 5000.0, 300.0, 0.0, 0.0, 295});
    Normalize(&s, 0.85);
    return s;
}

Sound MissileLaunch() {  // 296: a rising rush of a missile leaving
    Sound s(0.45);
    Add(&s, Noise{0.0, 0.45, 0.9, {0.03, 0.16, 0.06}, 700.0, 5000.0, 150.0, 0.0, 296});
    Add(&s, Tone{0.0, 0.3, 280.0, 520.0, Wave::Triangle, 0.2, {0.01, 0.1, 0.04}});
    Normalize(&s, 0.6);
    return s;
}

Sound PulseShot() {  // 297: a pitched laser "pew"
    Sound s(0.1);
    Add(&s, Tone{0.0, 0.09, 1400.0, 480.0, Wave::Square, 0.5, {0.001, 0.04, 0.01}});
    Normalize(&s, 0.45);
    return s;
}

Sound Alarm() {  // 298: a two-tone warning
    Sound s(0.5);
    for (int k = 0; k < 4; ++k) {
        double f = k % 2 ? 660.0 : 880.0;
        Add(&s, Tone{0.125 * k, 0.12, f, f, Wave::Square, 0.4, {0.003, 0.0, 0.01}});
    }
    Normalize(&s, 0.45);
    return s;
}

Sound HeavyLaunch() {  // 299: a heavy weapon leaving with a deep boom
    Sound s(0.6);
    Add(&s, Tone{0.0, 0.45, 240.0, 70.0, Wave::Saw, 0.45, {0.003, 0.18, 0.04}});
    Add(&s, Tone{0.0, 0.5, 80.0, 40.0, Wave::Sine, 0.7, {0.003, 0.2, 0.05}});
    Add(&s, Noise{0.0, 0.55, 0.6, {0.002, 0.14, 0.05}, 3000.0, 250.0, 0.0, 0.0, 299});
    Normalize(&s, 0.8);
    return s;
}

Sound Beam() {  // 300: a humming beam (plays on the first tick the button is held)
    Sound s(0.8);
    Tone a{0.0, 0.8, 330.0, 300.0, Wave::Saw, 0.35, {0.02, 0.0, 0.2}, 0.25, 7.0, 0.02};
    Tone b{0.0, 0.8, 334.0, 304.0, Wave::Saw, 0.35, {0.02, 0.0, 0.2}, 0.25, 5.5, 0.02};
    Add(&s, a);
    Add(&s, b);
    Add(&s, Noise{0.0, 0.8, 0.2, {0.02, 0.0, 0.2}, 2500.0, 2500.0, 900.0, 0.0, 300});
    Normalize(&s, 0.5);
    return s;
}

Sound PageTurn() {  // 301: a soft pop when a dialogue page is confirmed
    Sound s(0.05);
    Add(&s, Tone{0.0, 0.045, 1000.0, 600.0, Wave::Sine, 0.7, {0.001, 0.015, 0.01}});
    Normalize(&s, 0.45);
    return s;
}

Sound ChargeStart() {  // 302: a rising charge-up
    Sound s(0.6);
    Tone a{0.0, 0.6, 200.0, 1600.0, Wave::Sine, 0.5, {0.02, 0.0, 0.06}, 0.25, 18.0, 0.04};
    Tone b{0.0, 0.6, 400.0, 3200.0, Wave::Square, 0.12, {0.02, 0.0, 0.06}};
    Add(&s, a);
    Add(&s, b);
    Normalize(&s, 0.5);
    return s;
}

Sound Zap() {  // 303: a falling laser zap
    Sound s(0.28);
    Add(&s, Tone{0.0, 0.26, 2600.0, 280.0, Wave::Square, 0.4, {0.001, 0.1, 0.02}});
    Add(&s, Tone{0.0, 0.26, 2650.0, 300.0, Wave::Saw, 0.25, {0.001, 0.1, 0.02}});
    Normalize(&s, 0.55);
    return s;
}

Sound Coin() {  // 304: a coin: a short note, then a longer one a fourth above
    Sound s(0.42);
    Add(&s, Tone{0.0, 0.075, 987.8, 987.8, Wave::Square, 0.4, {0.001, 0.0, 0.004}});
    Add(&s, Tone{0.07, 0.35, 1318.5, 1318.5, Wave::Square, 0.4, {0.001, 0.12, 0.03}});
    Add(&s, Tone{0.07, 0.35, 2637.0, 2637.0, Wave::Sine, 0.1, {0.001, 0.08, 0.03}});
    Normalize(&s, 0.55);
    return s;
}

Sound TwinShot() {  // 305: two quick shots one after the other
    Sound s(0.14);
    for (int k = 0; k < 2; ++k) {
        Add(&s, Tone{0.04 * k, 0.09, 1800.0, 650.0, Wave::Triangle, 0.6, {0.001, 0.035, 0.01}});
        Add(&s, Noise{0.04 * k,
                      0.03,
                      0.3,
                      {0.0005, 0.01, 0.005},
                      6000.0,
                      3000.0,
                      1000.0,
                      0.0,
                      static_cast<uint32_t>(305 + k)});
    }
    Normalize(&s, 0.5);
    return s;
}

Sound Clunk() {  // 306: a solid thunk with a bright ring (a throw, a tally row)
    Sound s(0.22);
    Add(&s, Tone{0.0, 0.09, 300.0, 140.0, Wave::Sine, 0.7, {0.001, 0.03, 0.01}});
    Add(&s, Noise{0.0, 0.015, 0.4, {0.0005, 0.004, 0.004}, 5000.0, 3000.0, 600.0, 0.0, 306});
    AddBell(&s, 0.005, 0.2, 1760.0, 0.25, 0.06);
    Normalize(&s, 0.6);
    return s;
}

Sound Arpeggio() {  // 307: a quick rising major arpeggio
    Sound s(0.32);
    const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
    for (int k = 0; k < 4; ++k) {
        Add(&s, Tone{0.05 * k, 0.12, notes[k], notes[k], Wave::Triangle, 0.5, {0.002, 0.05, 0.02}});
    }
    Normalize(&s, 0.5);
    return s;
}

Sound Splash() {  // 308: a splash into water
    Sound s(0.55);
    Add(&s, Noise{0.0, 0.55, 0.9, {0.015, 0.16, 0.06}, 3000.0, 900.0, 250.0, 0.0, 308});
    // Bubbles: small rising chirps.
    const double at[] = {0.05, 0.12, 0.17, 0.26};
    const double f[] = {650.0, 820.0, 560.0, 900.0};
    for (int k = 0; k < 4; ++k) {
        Add(&s, Tone{at[k], 0.05, f[k], f[k] * 1.8, Wave::Sine, 0.18, {0.003, 0.02, 0.01}});
    }
    Normalize(&s, 0.6);
    return s;
}

Sound Hum() {  // 309: a low pulsing hum
    Sound s(0.4);
    Tone a{0.0, 0.4, 110.0, 110.0, Wave::Square, 0.4, {0.02, 0.0, 0.08}, 0.25, 12.0, 0.01};
    Add(&s, a);
    Add(&s, Tone{0.0, 0.4, 220.5, 220.5, Wave::Sine, 0.3, {0.02, 0.0, 0.08}});
    Normalize(&s, 0.5);
    return s;
}

Sound Roll() {  // 310: the whoosh of a barrel roll
    Sound s(0.46);
    Sweep w;
    w.length = 0.46;
    w.amp = 1.0;
    w.env = {0.12, 0.0, 0.2};
    w.from = 350.0;
    w.peak = 2600.0;
    w.to = 500.0;
    w.resonance = 0.35;
    w.seed = 310;
    Add(&s, w);
    Normalize(&s, 0.55);
    return s;
}

Sound Spark() {  // 311: an electric crackle
    Sound s(0.36);
    Tone a{0.0, 0.34, 620.0, 380.0, Wave::Square, 0.3, {0.002, 0.15, 0.03}, 0.5, 45.0, 0.3};
    Add(&s, a);
    Add(&s, Noise{0.0, 0.34, 0.6, {0.001, 0.12, 0.03}, 9000.0, 5000.0, 2000.0, 31.0, 311});
    Normalize(&s, 0.55);
    return s;
}

Sound ChargeFull() {  // 312: a bright chime: the charge is full
    Sound s(0.5);
    const double notes[] = {1318.5, 1975.5, 2637.0};
    for (int k = 0; k < 3; ++k) AddBell(&s, 0.04 * k, 0.46 - 0.04 * k, notes[k], 0.35, 0.16);
    Normalize(&s, 0.55);
    return s;
}

Sound Boost() {  // 313: a rising engine boost
    Sound s(0.5);
    Add(&s, Tone{0.0, 0.5, 120.0, 420.0, Wave::Saw, 0.35, {0.05, 0.0, 0.12}});
    Add(&s, Noise{0.0, 0.5, 0.5, {0.08, 0.0, 0.12}, 600.0, 4000.0, 200.0, 0.0, 313});
    Normalize(&s, 0.5);
    return s;
}

Sound BombDrop() {  // 314: a falling whistle ending in a soft thud
    Sound s(0.62);
    Add(&s, Tone{0.0, 0.5, 1900.0, 520.0, Wave::Sine, 0.4, {0.02, 0.0, 0.03}});
    Add(&s, Tone{0.48, 0.14, 110.0, 50.0, Wave::Sine, 0.6, {0.002, 0.05, 0.02}});
    Add(&s, Noise{0.48, 0.12, 0.35, {0.002, 0.04, 0.02}, 1500.0, 400.0, 0.0, 0.0, 314});
    Normalize(&s, 0.55);
    return s;
}

Sound RetroShot() {  // 315: a small retro "pew" (the ending's little shooting game)
    Sound s(0.09);
    Add(&s, Tone{0.0, 0.08, 1250.0, 420.0, Wave::Square, 0.5, {0.001, 0.03, 0.01}});
    Normalize(&s, 0.42);
    return s;
}

Sound Scrape() {  // 316: metal grinding along the course
    Sound s(0.16);
    Add(&s, Noise{0.0, 0.16, 0.8, {0.005, 0.07, 0.03}, 7000.0, 5000.0, 1200.0, 60.0, 316});
    Add(&s, Tone{0.0, 0.15, 1530.0, 1490.0, Wave::Sine, 0.15, {0.003, 0.06, 0.02}});
    Add(&s, Tone{0.0, 0.15, 2310.0, 2270.0, Wave::Sine, 0.1, {0.003, 0.05, 0.02}});
    Normalize(&s, 0.5);
    return s;
}

void PutLe(std::vector<uint8_t>* out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> WaveFile(const Sound& sound) {
    std::vector<uint8_t> data;
    for (double v : sound.s) {
        long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        PutLe(&data, static_cast<uint32_t>(static_cast<int16_t>(q)), 2);
    }
    std::vector<uint8_t> out;
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    PutLe(&out, static_cast<uint32_t>(36 + data.size()), 4);
    tag("WAVE");
    tag("fmt ");
    PutLe(&out, 16, 4);
    PutLe(&out, 1, 2);  // PCM
    PutLe(&out, 1, 2);  // mono
    PutLe(&out, kRate, 4);
    PutLe(&out, kRate * 2, 4);
    PutLe(&out, 2, 2);
    PutLe(&out, 16, 2);
    tag("data");
    PutLe(&out, static_cast<uint32_t>(data.size()), 4);
    for (uint8_t b : data) out.push_back(b);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sfxgen <output folder>\n");
        return 2;
    }
    const std::function<Sound()> effects[] = {
        Decide,      Cursor,     Cancel,       Hit,           Explosion, EnemyCannon,
        LockOn,      Vulcan,     ChargedBurst, MissileLaunch, PulseShot, Alarm,
        HeavyLaunch, Beam,       PageTurn,     ChargeStart,   Zap,       Coin,
        TwinShot,    Clunk,      Arpeggio,     Splash,        Hum,       Roll,
        Spark,       ChargeFull, Boost,        BombDrop,      RetroShot, Scrape,
    };
    int id = 287;
    for (const auto& make : effects) {
        std::vector<uint8_t> bytes = WaveFile(make());
        std::string path = std::string(argv[1]) + "/" + std::to_string(id) + ".wav";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            std::fprintf(stderr, "sfxgen: cannot write %s\n", path.c_str());
            if (f) std::fclose(f);
            return 1;
        }
        if (std::fclose(f) != 0) return 1;
        ++id;
    }
    return 0;
}
