// A bench driven directly, without the program: a virtual clock and whole exchanges of text.
#pragma once

#include <QByteArray>
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/instruments.h"
#include "bench/scripted.h"
#include "driver/clock.h"

struct DirectBench {
    std::shared_ptr<driver::VirtualClock> clock = std::make_shared<driver::VirtualClock>();
    bench::Bench bench{clock};

    bench::ScriptedInstrument* Scripted(int pad) {
        auto instrument = std::make_unique<bench::ScriptedInstrument>();
        bench::ScriptedInstrument* raw = instrument.get();
        bench.Attach(pad, std::move(instrument));
        return raw;
    }

    // An instrument of a GPIB_BENCH kind at `pad`, and a descriptor for it.
    int Place(int pad, const char* kind) {
        bench.Attach(pad, bench::MakeInstrument(kind));
        return Open(pad);
    }

    int Open(int pad, int tmo = 12, int eot = 1) { return bench.ibdev(0, pad, 0, tmo, eot, 0); }

    int Write(int ud, const QByteArray& text) {
        return bench.ibwrt(ud, text.constData(), text.size());
    }

    // One read of at most `count` bytes.
    QByteArray Read(int ud, long count = 512) {
        std::string buffer(static_cast<std::size_t>(count), ' ');
        bench.ibrd(ud, buffer.data(), count);
        return QByteArray(buffer.data(), static_cast<int>(bench.LastStatus().ibcntl));
    }

    // Reads until END; "<timeout>" when a read fails.
    QByteArray ReadAnswer(int ud) {
        QByteArray answer;
        for (int chunk = 0; chunk < 100; ++chunk) {
            answer += Read(ud);
            const int sta = bench.LastStatus().ibsta;
            if (sta & driver::ERR) return "<timeout>";
            if (sta & driver::END) return answer;
        }
        return "<endless>";
    }

    QByteArray Query(int ud, const QByteArray& text) {
        Write(ud, text);
        return ReadAnswer(ud);
    }

    int Poll(int ud) {
        char spr[2] = {0, 0};
        bench.ibrsp(ud, spr);
        return static_cast<unsigned char>(spr[0]);
    }
};
