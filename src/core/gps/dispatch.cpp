#include "gps/dispatch.h"

#include "gps/nmea_monitor.h"

namespace mw {

namespace {

bool IsTalker(char a, char b) {
    switch (a) {
        case 'G':
            return b == 'P' || b == 'N' || b == 'L' || b == 'A' || b == 'B';
        case 'B':
            return b == 'D';
        default:
            return false;
    }
}

class NullSink : public GpsResultSink {
public:
    void OnPosition(const PositionReport&, const GpsFix&) override {}
    void OnSpeed(const GpsFix&) override {}
    void OnStatus(const std::string&) override {}
    void OnSatellites(const GpsFix&) override {}
};

// The located sentence of `type`, or empty when the line has none.
std::string_view Locate(std::string_view line, std::string_view type) {
    std::size_t at = FindSentence(line, type);
    return at == std::string_view::npos ? std::string_view{} : CutSentence(line, at);
}

struct Dispatch {
    GpsParserState& state;
    const DispatchEnv& env;
    GpsResultSink& sink;

    void SetStatus(const char* text) {
        state.fix.statusText = text;
        sink.OnStatus(state.fix.statusText);
    }

    // The first position after a communication error clears "ERR".
    void ClearError() {
        if (state.fix.statusText == kStatusError) SetStatus(kStatusOn);
    }

    void Position(std::string_view sentence, int layoutSource) {
        Position(sentence, NmeaFields(sentence), layoutSource);
    }
    void Position(std::string_view sentence, const NmeaFields& fields, int layoutSource) {
        ClearError();
        PositionReport report;
        const bool checkChecksum = env.config.useChecksum && !env.replay;
        switch (ParsePositionSentence(sentence, fields, layoutSource, checkChecksum, *env.clock,
                                      report)) {
            case PositionOutcome::Fix:
                sink.OnPosition(report, state.fix);
                break;
            case PositionOutcome::ChecksumFailed:
                SetStatus(kStatusChecksum);
                break;
            case PositionOutcome::NoFix:
                break;
        }
    }

    void Speed(std::string_view sentence, int layoutSource) {
        Speed(NmeaFields(sentence), layoutSource);
    }
    void Speed(const NmeaFields& fields, int layoutSource) {
        ParseSpeedSentence(fields, layoutSource, env.config.speedUnit, state.fix);
        sink.OnSpeed(state.fix);
    }

    void Quality(std::string_view sentence) { ParseQualitySentence(sentence, state.fix); }

    void Pvt() {
        ApplyPvtSpeed(state.pvt, env.config.speedUnit, state.fix);
        sink.OnSpeed(state.fix);
        ClearError();
        sink.OnPosition(PvtPosition(state.pvt, *env.clock), state.fix);
    }
};

}  // namespace

std::size_t FindSentence(std::string_view line, std::string_view type) {
    for (std::size_t at = line.find('$'); at != std::string_view::npos;
         at = line.find('$', at + 1)) {
        if (line.size() - at < 3 + type.size()) return std::string_view::npos;
        if (IsTalker(line[at + 1], line[at + 2]) && line.substr(at + 3, type.size()) == type)
            return at;
    }
    return std::string_view::npos;
}

std::string_view CutSentence(std::string_view line, std::size_t start) {
    constexpr std::size_t kTagLength = 6;  // "$GPRMC"
    if (start > line.size() || start + kTagLength > kSentenceCut) return {};
    return line.substr(start, kSentenceCut - start);
}

int DispatchSentence(std::string_view receivedLine, GpsParserState& state, const DispatchEnv& env) {
    if (env.busy) return 0;
    static NullSink nullSink;
    Dispatch d{state, env, env.sink ? *env.sink : nullSink};

    if (env.replay) {
        const std::string_view rmc = kReplayRmc;
        d.Speed(rmc, kSourceRmc);
        d.Quality(kReplayGga);
        d.Position(rmc, kSourceRmc);
        return 0;
    }

    const int source = env.config.source;
    if (env.monitor) env.monitor->Feed(receivedLine, source);

    switch (source) {
        case kSourcePvt:
            d.Pvt();
            return 0;
        case kSourceRmc:
            if (auto rmc = Locate(receivedLine, "RMC"); !rmc.empty()) {
                const NmeaFields fields(rmc);  // one split for both
                d.Speed(fields, kSourceRmc);
                d.Position(rmc, fields, kSourceRmc);
            }
            if (auto gga = Locate(receivedLine, "GGA"); !gga.empty()) d.Quality(gga);
            break;
        case kSourceGga:
            if (auto gga = Locate(receivedLine, "GGA"); !gga.empty()) {
                // Quality first, so the position goes out with the quality of
                // its own sentence.
                d.Quality(gga);
                d.Position(gga, kSourceGga);
            }
            if (auto vtg = Locate(receivedLine, "VTG"); !vtg.empty()) d.Speed(vtg, kSourceGga);
            break;
        case kSourceGll:
            if (auto gll = Locate(receivedLine, "GLL"); !gll.empty()) d.Position(gll, kSourceGll);
            if (auto vtg = Locate(receivedLine, "VTG"); !vtg.empty()) d.Speed(vtg, kSourceGll);
            if (auto gga = Locate(receivedLine, "GGA"); !gga.empty()) d.Quality(gga);
            break;
        default:
            break;
    }

    if (env.satellitesViewOpen && source < kSourcePvt) {
        if (auto gsv = Locate(receivedLine, "GSV"); !gsv.empty()) {
            if (ParseSatellitesSentence(gsv, state.fix) == SatellitesOutcome::SetComplete)
                d.sink.OnSatellites(state.fix);
        }
    }
    return 0;
}

}  // namespace mw
