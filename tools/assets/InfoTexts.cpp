#include "Texts.h"

namespace {

const char* const kGlobe = R"(THE EARTH VIEW

This picture shows the Earth as a globe, seen from far out in space above
the equator. The white star marks the epicentre: the point on the surface
right above the place where the rock broke. The small white circles with
names are seismic stations, where instruments record the shaking.

When the earthquake starts, the star flashes. Then a clock runs, much
faster than real time, and circles spread out from the epicentre. Each
circle is a wavefront: it shows how far one kind of wave has travelled
along the surface at that moment.

The light red circles are P waves. P stands for primary: they are the
fastest waves and arrive first. The light blue (cyan) circles are S waves,
the secondary waves, which travel at a bit more than half the speed of P.
PP and SS are P and S waves that bounced once off the underside of the
surface half way along their path; they appear when they are more than 15
degrees from the epicentre.

The yellow band is the train of surface waves. They travel along the
outside of the Earth only, more slowly than P and S, but they shake the
ground the most. Deep earthquakes (100 km down or more) make only weak
surface waves, so the band is not drawn for them.

<PRE>
  Wave      Colour        Speed (km/s)    Reaches 90 degrees after
  P         light red     6 to 13.5       about 13 minutes
  S         light blue    3.4 to 7.3      about 24 minutes
  Surface   yellow        2.3 to 3.8      about 45 to 70 minutes
</PRE>

One degree along the surface is 111 km. Waves that reach the far side of
the Earth have travelled about 20,000 km.

<more "WAVES.INF">
)";

const char* const kWaves = R"(KINDS OF SEISMIC WAVES

When rock breaks in an earthquake, the sudden movement sends out waves in
all directions, the way a stone dropped into a pond sends out ripples.
Some waves travel through the inside of the Earth (body waves), others
only along its surface.

P waves push and pull the rock in the direction they travel, like a sound
wave or a slinky spring pushed at one end. They can travel through solid
rock, through liquids and through air.

S waves shake the rock from side to side, across the direction they
travel, like a wave running along a rope. A liquid cannot be sheared, so S
waves cannot travel through a liquid. That is why no S waves cross the
Earth's liquid outer core.

Surface waves roll and sway the ground like waves on the sea. There are
two kinds, named after the scientists who described them: Love waves shake
the ground sideways, Rayleigh waves make it roll up and down. Because they
stay near the surface they lose their strength slowly, and they are often
the largest waves on a seismogram far from the earthquake.

Waves bend as they go deeper, because rock deep down is stiffer and waves
travel faster there. Their paths curve back up to the surface, which is
why the first waves reach a distant station from below.
)";

const char* const kSection = R"(THE CROSS-SECTION

This picture shows a slice through the whole Earth, as if it were cut in
half through the epicentre. The epicentre is at the top of the disc and
the white star below it marks the focus (hypocentre), where the rock broke,
at its real depth. The stations are marked along the left edge of the disc
at their distance from the epicentre, measured in degrees around the
centre of the Earth.

The grey disc is the mantle, hot solid rock nearly 2,900 km thick. The
large circle inside is the outer core, made of liquid iron and nickel. The
small circle in the middle is the inner core, solid iron and nickel, as
hot as the surface of the Sun but kept solid by the enormous pressure.

<PRE>
  Layer         Depth (km)         Made of
  Crust         0 to about 35      solid rock, 5 to 70 km thick
  Mantle        35 to 2,890        solid rock that creeps very slowly
  Outer core    2,890 to 5,150     liquid iron and nickel
  Inner core    5,150 to 6,371     solid iron and nickel
</PRE>

While the clock runs, the coloured lines show where the waves are inside
the Earth. Parts of a wave's path where it travels as a P wave are drawn
light red; parts where it travels as an S wave are drawn light blue
(cyan). A wave that hits a boundary can be reflected or pass through, and
it can change from S to P or back. The names tell the story: K stands for
a P wave in the outer core, I for a P wave in the inner core, and c for a
reflection off the core. So PcP bounces off the core, PKP crosses the
outer core, and SKS goes down as S, crosses the core as P and comes up
as S again.

The core bends P waves sharply, so beyond about 100 degrees from the
epicentre no direct P waves arrive. Up to about 140 degrees only weak
waves come in: P waves bent around the edge of the core, faint echoes off
the inner core and, from about 120 degrees, PKIKP, which crossed the inner
core. This is the P-wave shadow zone. From about 143 degrees the PKP
waves, bent by the outer core like light by a lens, arrive strongly. S
waves cannot cross the liquid outer core at all, so beyond about 100
degrees there are no direct S waves. The thick yellow arcs on the rim are
the surface waves.

<more "CORE.INF">
)";

const char* const kCore = R"(HOW WE KNOW WHAT IS INSIDE THE EARTH

Nobody has ever drilled deeper than about 12 km, yet we know the Earth has
a core. The evidence comes from seismograms like the ones in this exhibit.

In 1906 Richard Dixon Oldham noticed that P waves arrived late at stations
on the far side of the Earth, and concluded that the Earth has a core in
which waves travel more slowly. In 1914 Beno Gutenberg measured the depth
of the core's edge at about 2,900 km, very close to today's value.

Because S waves never pass through the core, Harold Jeffreys argued in
1926 that the outer core is liquid. In 1936 Inge Lehmann found faint P
waves arriving inside the shadow zone and explained them with a solid
inner core that reflects and bends the waves.

Jeffreys and Keith Bullen published tables of travel times in 1940: for
each distance, how long each wave takes to arrive. Jeffreys also worked
out how fast P and S waves travel at every depth. This exhibit starts
from that model of the Earth's interior and computes its own tables: it
follows thousands of rays through the model Earth and notes when and
where each one comes back to the surface. The wavefronts in the
cross-section and the arrival times on the seismograms come from these
computed tables.
)";

const char* const kSeismograms = R"(THE SEISMOGRAMS

Each line in this picture is a seismogram: the record of the ground's
movement at one seismic station. The name of the station is written at the
left. Time runs from left to right, counted in minutes since the
earthquake, and each trace is drawn as the clock reaches it. When the
traces reach the right edge, the picture moves on by half its width.

A seismometer measures the ground's movement in three directions, called
components:

<PRE>
  Z    up and down (vertical)
  N    north and south
  E    east and west
</PRE>

The coloured marks show when the waves are expected to arrive at the
station: P and PP in light red, S and SS in light blue (cyan). The times
come from travel-time tables, so the waves of a real recording can arrive
a little early or late. Quiet stretches before the marks are the normal
tiny unrest of the ground. Look for the wiggles to grow at P, again at S,
and most of all when the surface waves arrive later still.

More than about 100 degrees from the epicentre the core is in the way:
no direct P or S wave arrives. There the first waves crossed the core
(PKIKP and PKP) or were bent around it; they have no mark and come well
before the PP mark.

The farther a station is from the earthquake, the longer the gap between
the P and the S wave. Seismologists use this gap to tell how far away an
earthquake was, and with three or more stations they can find where it
happened.
)";

const char* const kMapEvents = R"(CHOOSING AN EARTHQUAKE

This map of the world shows the earthquakes that this exhibit can play.
Each label gives the name of an earthquake and its date, and sits on the
place where the earthquake happened. Touch a label to choose it.

Depending on how the exhibit is set up, the earthquake starts at once, or
a small window first shows its details: its time, place, depth and
magnitude. Touch GO to start it or Select Stations to choose which
recordings to play.

Most earthquakes happen where the plates of the Earth's outer shell meet
and grind past each other. Many of them lie around the Pacific Ocean, in
the Ring of Fire, so this map is drawn with the whole Pacific in one piece.
The map stretches the land near the poles, so Greenland and Antarctica
look much larger than they are.

If nobody touches the screen for a while, the exhibit starts an
earthquake by itself.
)";

const char* const kMapStations = R"(CHOOSING STATIONS

The star is the earthquake you chose. The blue discs are the seismic
stations that have seismograms of it, each with its name. The marks on a
disc show which components the station has:

<PRE>
  bar from left to right    E: east-west movement
  bar from top to bottom    N: north-south movement
  dot in the middle         Z: up-and-down movement
</PRE>

A red mark will be played; a white mark is there but switched off.
Touch a station to see its distance from the earthquake and to switch its
recordings on or off, for this station alone or for all stations at once.

When you are done, touch the star to start the earthquake.
)";

}   // namespace

std::vector<NamedText> infoTexts() {
    return {
        {"3D.INF", kGlobe},           {"WAVES.INF", kWaves},      {"XS.INF", kSection},
        {"CORE.INF", kCore},          {"SEIS.INF", kSeismograms}, {"MAP_EV.INF", kMapEvents},
        {"MAP_ST.INF", kMapStations},
    };
}
