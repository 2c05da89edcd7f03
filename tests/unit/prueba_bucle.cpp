// The thread's timers: ticks only while pumped, Enabled switching, interval.
#include <gtest/gtest.h>

#include "platform/bucle.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;

TEST(Temporizador, SoloVenceMientrasEstaActivoYSeBombea) {
  int ticks = 0;
  platform::Temporizador t(20ms, [&] { ++ticks; });
  EXPECT_FALSE(t.Enabled());
  platform::BombeaMensajes(80ms);
  EXPECT_EQ(ticks, 0);
  t.Enabled(true);
  EXPECT_TRUE(t.Enabled());
  platform::BombeaMensajes(150ms);
  EXPECT_GE(ticks, 2);
  t.Enabled(false);
  const int antes = ticks;
  platform::BombeaMensajes(80ms);
  EXPECT_EQ(ticks, antes);
}

TEST(Temporizador, UnTickPuedeApagarSuPropioTemporizador) {
  int ticks = 0;
  platform::Temporizador t(10ms, [] {});
  platform::Temporizador apagador(10ms, [&] {
    ++ticks;
    t.Enabled(false);
  });
  t.Enabled(true);
  apagador.Enabled(true);
  platform::BombeaMensajes(60ms);
  apagador.Enabled(false);
  EXPECT_GE(ticks, 1);
  EXPECT_FALSE(t.Enabled());
}

TEST(Temporizador, UnTickNoSeEjecutaDentroDeSiMismo) {
  int profundidad = 0;
  int maxima = 0;
  platform::Temporizador t(10ms, [&] {
    ++profundidad;
    maxima = std::max(maxima, profundidad);
    platform::BombeaMensajes(40ms);  // a modal wait inside the tick
    --profundidad;
  });
  t.Enabled(true);
  platform::BombeaMensajes(120ms);
  t.Enabled(false);
  EXPECT_EQ(maxima, 1);
}

TEST(Temporizador, CambiarElIntervalo) {
  int ticks = 0;
  platform::Temporizador t(5000ms, [&] { ++ticks; });
  EXPECT_EQ(t.Interval(), 5000ms);
  t.Enabled(true);
  platform::BombeaMensajes(50ms);
  EXPECT_EQ(ticks, 0);
  t.Interval(10ms);
  platform::BombeaMensajes(60ms);
  EXPECT_GE(ticks, 1);
}

}  // namespace
}  // namespace vardel
