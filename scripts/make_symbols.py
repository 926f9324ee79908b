#!/usr/bin/env python3
"""Writes the default waypoint symbol pictures, data/PSymbols/<number>.svg.

The numbers are the symbol codes GPS receivers and waypoint files commonly
use (the marine set 1..21, the land set 150..179 and a few points of
interest); 0 is every waypoint's default and keeps the plain circle. Each
picture is a 24 x 24 pictogram of our own drawing: a coloured plate and a
white figure, so it reads on any map. Run it again after changing a drawing.
"""
import pathlib
import sys

W = 'fill="#fff"'


def stroke(colour, width=2):
    return (f'fill="none" stroke="{colour}" stroke-width="{width}" stroke-linecap="round" '
            'stroke-linejoin="round"')


S, K = stroke("#fff"), stroke("#000")

BLUE, GREEN, RED, BROWN, DARK, GREY = "#1f5fbf", "#2e8b3e", "#c8261e", "#8a5a2b", "#303030", "#707070"


def plate(colour):
    return f'<rect x="1" y="1" width="22" height="22" rx="4" fill="{colour}" stroke="#000" stroke-width="1"/>'


def disc(colour):
    return f'<circle cx="12" cy="12" r="11" fill="{colour}" stroke="#000" stroke-width="1"/>'


SYMBOLS = {
    1: ("bell", plate(BLUE) + f'<path d="M7 16 Q7 6 12 6 Q17 6 17 16 Z" {W}/><circle cx="12" cy="18.5" r="1.8" {W}/>'),
    2: ("green diamond", '<path d="M12 1 L23 12 L12 23 L1 12 Z" fill="#2e9e3e" stroke="#000"/>'),
    3: ("red diamond", '<path d="M12 1 L23 12 L12 23 L1 12 Z" fill="#d02a20" stroke="#000"/>'),
    4: ("diver down flag", '<rect x="1" y="3" width="22" height="18" fill="#d02a20" stroke="#000"/>'
        '<path d="M1 3 L23 21" stroke="#fff" stroke-width="4"/>'),
    5: ("diving flag", '<path d="M1 3 H23 L17 12 L23 21 H1 Z" fill="#1f5fbf" stroke="#000"/>'
        '<rect x="1" y="3" width="9" height="18" fill="#fff" stroke="#000"/>'),
    6: ("money", disc(GREEN) + f'<path d="M15.5 8 Q12 5.5 9.5 7.5 Q8 10 12 11.5 Q16 13 14.5 16 Q12 18.5 8.5 16" {S}/>'
        f'<path d="M12 4.5 V19.5" {S}/>'),
    7: ("fish", plate(BLUE) + f'<ellipse cx="10.5" cy="12" rx="6.5" ry="4" {W}/><path d="M16 12 L21 8 V16 Z" {W}/>'
        f'<circle cx="7.5" cy="11" r="1" fill="{BLUE}"/>'),
    8: ("fuel", plate(DARK) + f'<rect x="6" y="6" width="8" height="13" rx="1" {W}/>'
        f'<rect x="7.5" y="8" width="5" height="3.5" fill="{DARK}"/><path d="M14 9 H17 V16 Q17 18 18.5 17" {S}/>'),
    9: ("horn", plate(BLUE) + f'<path d="M5 10 H9 L18 5 V19 L9 14 H5 Z" {W}/>'),
    10: ("house", plate(BROWN) + f'<path d="M4.5 12 L12 5 L19.5 12 H17 V19 H7 V12 Z" {W}/>'
         f'<rect x="10.5" y="14" width="3" height="5" fill="{BROWN}"/>'),
    11: ("restaurant", plate(BLUE) + f'<path d="M8 5 V19 M6 5 V9 Q6 11 8 11 Q10 11 10 9 V5 M16 19 V5 Q19 8 16 12" {S}/>'),
    12: ("light", plate(BLUE) + f'<path d="M10 8 H14 L15.5 20 H8.5 Z" {W}/><circle cx="12" cy="6" r="2" {W}/>'
         f'<path d="M5 4 L8 5.5 M19 4 L16 5.5 M4.5 8 H7.5 M19.5 8 H16.5" {S}/>'),
    13: ("bar", plate(BROWN) + f'<rect x="6" y="7" width="9" height="12" rx="1" {W}/><path d="M15 9.5 H17 Q18.5 9.5 18.5 11.5 V14 Q18.5 16 17 16 H15" {S}/>'),
    14: ("danger (skull)", plate("#000") + f'<circle cx="12" cy="9.5" r="5" {W}/><rect x="9.5" y="12" width="5" height="3.5" {W}/>'
         '<circle cx="10" cy="9" r="1.3" fill="#000"/><circle cx="14" cy="9" r="1.3" fill="#000"/>'
         f'<path d="M5 17 L19 21 M19 17 L5 21" {S}/>'),
    15: ("green square", '<rect x="2" y="2" width="20" height="20" fill="#2e9e3e" stroke="#000"/>'),
    16: ("red square", '<rect x="2" y="2" width="20" height="20" fill="#d02a20" stroke="#000"/>'),
    17: ("white buoy", '<path d="M12 2 V7" stroke="#000" stroke-width="2"/><path d="M5 20 Q5 8 12 8 Q19 8 19 20 Z" fill="#fff" stroke="#000" stroke-width="1.5"/>'
         '<path d="M3 21 H21" stroke="#1f5fbf" stroke-width="2"/>'),
    18: ("waypoint dot", '<circle cx="12" cy="12" r="9" fill="#fff" stroke="#000" stroke-width="2"/><circle cx="12" cy="12" r="4" fill="#000"/>'),
    19: ("wreck", plate(BLUE) + f'<path d="M3 15 H21 L18 19 H6 Z" {W}/><path d="M9 15 L7 6 M14 15 L16.5 7 M7 9 H11" {S}/>'),
    21: ("man overboard", disc(RED) + '<circle cx="12" cy="12" r="6" fill="none" stroke="#fff" stroke-width="3.5"/>'
         '<path d="M12 3.5 V6.5 M12 17.5 V20.5 M3.5 12 H6.5 M17.5 12 H20.5" stroke="#d02a20" stroke-width="2"/>'),
    150: ("boat ramp", plate(BLUE) + f'<path d="M3 19 L21 12" {S}/><path d="M7 10 H16 L14 14 H9 Z" {W}/><path d="M11.5 10 V4 L15 8 H11.5" {W}/>'),
    151: ("campground", plate(GREEN) + f'<path d="M3 19 L12 5 L21 19 Z" {W}/><path d="M12 19 L12 12 L9.5 19 Z" fill="{GREEN}"/>'),
    152: ("restrooms", plate(BLUE) + f'<circle cx="8" cy="6" r="2" {W}/><circle cx="16" cy="6" r="2" {W}/>'
          f'<rect x="6" y="9" width="4" height="10" rx="1" {W}/><path d="M16 9 L19.5 16 H12.5 Z M14.5 16 V20 M17.5 16 V20" {W} stroke="#fff" stroke-width="1.5"/>'),
    153: ("showers", plate(BLUE) + f'<path d="M5 4 H11 V7" {S}/><path d="M7 7 H15 L13 10 H9 Z" {W}/>'
          f'<path d="M9 13 V14.5 M12 13 V14.5 M15 13 V14.5 M9 17.5 V19 M12 17.5 V19 M15 17.5 V19" {S}/>'),
    154: ("drinking water", plate(BLUE) + f'<path d="M4 7 H14 Q17 7 17 10" {S}/><path d="M17 13 Q14 17.5 14 19 A3 3 0 0 0 20 19 Q20 17.5 17 13 Z" {W}/>'),
    155: ("telephone", plate(BLUE) + f'<path d="M6 4 Q3.5 5 4.5 9 Q7.5 16.5 15 19.5 Q19 20.5 20 18 L17 14.5 L14.5 16 Q10.5 14 8.5 9.5 L10 7.5 Z" {W}/>'),
    156: ("first aid", '<rect x="1" y="1" width="22" height="22" rx="4" fill="#fff" stroke="#000"/><path d="M9.5 4 H14.5 V9.5 H20 V14.5 H14.5 V20 H9.5 V14.5 H4 V9.5 H9.5 Z" fill="#d02a20"/>'),
    157: ("information", plate(BLUE) + f'<circle cx="12" cy="6" r="2" {W}/><path d="M9 10 H13 V18 H15 M9 18 H15" {stroke("#fff", 2.5)}/>'),
    158: ("parking", plate(BLUE) + f'<path d="M8 20 V4 H13 Q17.5 4 17.5 8.5 Q17.5 13 13 13 H8" {stroke("#fff", 3)}/>'),
    159: ("park", plate(GREEN) + f'<circle cx="12" cy="9" r="6" {W}/><path d="M12 13 V20" {stroke("#fff", 3)}/>'),
    160: ("picnic area", plate(BROWN) + f'<path d="M4 9 H20 M8 9 L5.5 19 M16 9 L18.5 19 M4 14 H20" {S}/>'),
    161: ("scenic area", plate(GREEN) + f'<path d="M2 19 L9 8 L13 14 L16 10 L22 19 Z" {W}/><circle cx="17" cy="5.5" r="2" {W}/>'),
    162: ("skiing", plate(BLUE) + f'<circle cx="15" cy="4.5" r="2" {W}/><path d="M4 15 L20 21 M14 7 L10 11 L14 14 L11.5 18 M10 11 L7 9" {S}/>'),
    163: ("swimming", plate(BLUE) + f'<circle cx="17" cy="8" r="2" {W}/><path d="M5 12 L10 9 L14 12" {S}/>'
          f'<path d="M3 16 Q6 14 9 16 Q12 18 15 16 Q18 14 21 16 M3 20 Q6 18 9 20 Q12 22 15 20 Q18 18 21 20" {stroke("#fff", 1.5)}/>'),
    164: ("dam", plate(GREY) + f'<path d="M9 4 H14 L17 20 H9 Z" {W}/><path d="M2 9 Q4 8 6 9 M2 13 Q4 12 6 13 M2 17 Q4 16 6 17" {stroke("#fff", 1.5)}/>'),
    165: ("controlled area", '<circle cx="12" cy="12" r="10" fill="#fff" stroke="#e07a10" stroke-width="3"/><circle cx="12" cy="12" r="3" fill="#e07a10"/>'),
    166: ("danger area", '<path d="M12 2 L22.5 21 H1.5 Z" fill="#f2c40f" stroke="#000" stroke-width="1.5"/>'
          f'<path d="M12 8.5 V14.5" {stroke("#000", 2.5)}/><circle cx="12" cy="18" r="1.4" fill="#000"/>'),
    167: ("restricted area", disc(RED) + '<rect x="5" y="10" width="14" height="4" fill="#fff"/>'),
    169: ("ball park", plate(GREEN) + f'<path d="M12 4 L20 12 L12 20 L4 12 Z" {S}/><circle cx="12" cy="12" r="2" {W}/>'),
    170: ("car", plate(BLUE) + f'<path d="M3 16 V12 L6 7 H18 L21 12 V16 Z" {W}/><rect x="7" y="8.5" width="10" height="3" fill="{BLUE}"/>'
          f'<circle cx="7" cy="17" r="2.2" {W} stroke="{BLUE}"/><circle cx="17" cy="17" r="2.2" {W} stroke="{BLUE}"/>'),
    171: ("deer", plate(BROWN) + f'<path d="M12 20 V12 M12 12 L7 7 L5 3 M7 7 L4 7 M12 12 L17 7 L19 3 M17 7 L20 7" {S}/>'
          f'<ellipse cx="12" cy="14" rx="2.5" ry="4" {W}/>'),
    172: ("shopping", plate(BLUE) + f'<path d="M3 5 H6 L8.5 15 H18 L20 8 H7" {S}/><circle cx="9.5" cy="18.5" r="1.7" {W}/><circle cx="17" cy="18.5" r="1.7" {W}/>'),
    173: ("lodging", plate(BLUE) + f'<path d="M3 6 V19 M3 15 H21 V19 M3 12 H21 V15" {S}/><circle cx="7" cy="9.5" r="2" {W}/>'),
    174: ("mine", plate(DARK) + f'<path d="M5 19 L17 7 M19 19 L7 7" {stroke("#fff", 2.5)}/><path d="M14 4 L20 10 M10 4 L4 10" {stroke("#fff", 3)}/>'),
    175: ("trail head", plate(GREEN) + f'<path d="M11 21 V4" {S}/><path d="M11 5 H19 L21 7.5 L19 10 H11 Z M11 12 H5 L3 14.5 L5 17 H11 Z" {W}/>'),
    176: ("truck stop", plate(BLUE) + f'<path d="M2 6 H14 V16 H2 Z M14 9 H18 L21 12.5 V16 H14 Z" {W}/>'
          f'<circle cx="6" cy="17.5" r="2.2" {W} stroke="{BLUE}"/><circle cx="17" cy="17.5" r="2.2" {W} stroke="{BLUE}"/>'),
    177: ("exit", plate(GREEN) + f'<path d="M5 12 H18 M13 6.5 L18.5 12 L13 17.5" {stroke("#fff", 3)}/>'),
    178: ("flag", '<path d="M5 2 V22" stroke="#000" stroke-width="2"/><path d="M6 3 H20 L16.5 8 L20 13 H6 Z" fill="#d02a20" stroke="#000"/>'),
    179: ("circle with x", '<circle cx="12" cy="12" r="10" fill="#fff" stroke="#000" stroke-width="2"/>'
          f'<path d="M7 7 L17 17 M17 7 L7 17" {stroke("#000", 2.5)}/>'),
    8233: ("bridge", plate(GREY) + f'<path d="M2 10 H22 M2 10 Q12 22 22 10 M6 10 V14 M18 10 V14" {S}/>'),
    8236: ("church", plate(DARK) + f'<path d="M12 2 V7 M9.5 4.5 H14.5" {S}/><path d="M7 20 V12 L12 8 L17 12 V20 Z" {W}/>'),
    16384: ("airport", plate(BLUE) + f'<path d="M12 2 Q13.5 2 13.5 5 V9.5 L21 14 V16 L13.5 13.5 V18 L16 20 V21.5 L12 20.5 L8 21.5 V20 L10.5 18 V13.5 L3 16 V14 L10.5 9.5 V5 Q10.5 2 12 2 Z" {W}/>'),
}


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "data" / "PSymbols")
    out.mkdir(parents=True, exist_ok=True)
    for number, (title, body) in SYMBOLS.items():
        (out / f"{number}.svg").write_text(
            '<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
            f'<title>{title}</title>{body}</svg>\n')
    print(f"{len(SYMBOLS)} symbols in {out}")


if __name__ == "__main__":
    main()
