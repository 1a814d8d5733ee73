#include "cli/PitchNaming.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "engine/live/PitchReading.h"

namespace tonavise::cli {

void PitchNaming::Apply(PitchReading& reading) const {
    MeasureAgainst(reading, tuning);
    NameWritten(reading, written.sounds);
}

std::optional<PitchNaming> PitchNamingOf(const TuningOptions& options,
                                         double a4,
                                         std::string_view command,
                                         std::ostream& err) {
    const std::string prefix = "tonavise-cli " + std::string(command) + ": ";
    const std::optional<TransposingInstrument> written =
        TransposingInstrumentNamed(options.written);
    if (!written) {
        err << prefix << "--written " << options.written << ": not one of";
        for (const TransposingInstrument& t : TransposingInstruments()) {
            err << ' ' << t.name;
        }
        err << '\n';
        return std::nullopt;
    }
    const std::optional<int> tonic = PitchClassOfName(options.tonic);
    if (!tonic) {
        err << prefix << "--tonic " << options.tonic
            << ": a note name such as C, F# or Bb was expected\n";
        return std::nullopt;
    }
    std::optional<Temperament> temperament;
    const std::string& name = options.temperament;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".scl") == 0) {
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            err << prefix << name << ": the file cannot be read\n";
            return std::nullopt;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        ScalaParse parsed = ParseScala(text);
        if (!parsed.scale) {
            err << prefix << name << ": " << parsed.error << '\n';
            return std::nullopt;
        }
        temperament = std::move(parsed.scale);
    } else {
        temperament = BuiltInTemperament(name);
        if (!temperament) {
            err << prefix << "--temperament " << name << ": not one of";
            for (std::string_view n : BuiltInTemperamentNames()) {
                err << ' ' << n;
            }
            err << ", nor a .scl file\n";
            return std::nullopt;
        }
    }
    return PitchNaming{Tuning(std::move(*temperament),
                              *tonic,
                              a4,
                              options.keepA ? TuningAnchor::A4 : TuningAnchor::Tonic),
                       *written};
}

}  // namespace tonavise::cli
