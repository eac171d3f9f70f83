#!/usr/bin/env python3
"""Reference cases for the library's base-10 decimal number type.

The type holds (-1)^sign * c / 10^s with an integer 0 <= c < 2^96 and a
scale 0 <= s <= 28. Every result is the exact result rounded half to even
to the largest scale s <= 28 at which the rounded coefficient stays below
2^96; when none fits, error 6 (overflow). Division by zero is error 11, a
text that is not a number error 13. A double enters at 15 significant
digits (rounded half to even from its exact binary value) and a decimal
leaves as the nearest double.

The cases are computed here with Python's decimal module at a precision far
above the type's, independently of the C++ code.

Run:  python3 tools/oracles/decimal_type.py > numlib/tests/reference/decimal_cases.inc
"""

import random
import sys
from decimal import (Decimal, Context, ROUND_HALF_EVEN, InvalidOperation,
                     DivisionByZero)

WIDE = Context(prec=600, rounding=ROUND_HALF_EVEN, Emax=10**6, Emin=-10**6,
               traps=[InvalidOperation, DivisionByZero])
LIMIT = 2 ** 96
OVERFLOW, DIV_ZERO, TYPE_MISMATCH = 6, 11, 13


class Fault(Exception):
    def __init__(self, number):
        super().__init__(number)
        self.number = number


def fit(v):
    """The exact value v rounded to the most places (<= 28) that fit."""
    for s in range(28, -1, -1):
        q = v.quantize(Decimal(1).scaleb(-s), rounding=ROUND_HALF_EVEN, context=WIDE)
        if q.scaleb(s, context=WIDE).copy_abs() < LIMIT:
            return q
    raise Fault(OVERFLOW)


def from_text(text):
    t = text.strip().replace('d', 'e').replace('D', 'E')
    try:
        v = WIDE.create_decimal(t)
    except InvalidOperation:
        raise Fault(TYPE_MISMATCH)
    if not v.is_finite():
        raise Fault(TYPE_MISMATCH)
    return fit(v)


def from_double(x):
    exact = Decimal(x)  # the double's exact binary value
    fifteen = Context(prec=15, rounding=ROUND_HALF_EVEN, Emax=10**6, Emin=-10**6).plus(exact)
    return fit(fifteen)


def plain(d):
    """Plain notation without exponent or trailing zeros ("0" for zero)."""
    if d.is_zero():
        return "0"
    s = format(d.normalize(context=WIDE), 'f')
    return s


def arith(op, a, b):
    x, y = from_text(a), from_text(b)
    if op == '+':
        r = WIDE.add(x, y)
    elif op == '-':
        r = WIDE.subtract(x, y)
    elif op == '*':
        r = WIDE.multiply(x, y)
    else:
        if y.is_zero():
            raise Fault(DIV_ZERO)
        r = WIDE.divide(x, y)
    return fit(r)


def result(f, *args):
    try:
        return '"%s", 0' % plain(f(*args))
    except Fault as e:
        return '"", %d' % e.number


def cstr(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


MAX = "79228162514264337593543950335"
NAMED = [
    "0", "1", "-1", "0.5", "-2.5", "3", "7", "10",
    "0.0000000000000000000000000001", "-0.0000000000000000000000000003",
    "1.000000000190015", "76.18009172947146", "-86.50532032941677",
    "0.001208650973866179", "2.5066282746310005", "12345678901234567890.123456789",
    MAX, "-" + MAX, "7.9228162514264337593543950335", "0.3333333333333333333333333333",
    "100000000000000", "1E-14",
]

# Cases that pin down rounding at the limits of scale and coefficient.
EDGES = [
    ('*', "0.5", "0.0000000000000000000000000001"),      # tie at place 28 -> even (0)
    ('*', "1.5", "0.0000000000000000000000000001"),      # tie -> 2E-28
    ('*', "2.5", "0.0000000000000000000000000001"),      # tie -> 2E-28
    ('*', "0.5000000000000000000000000001", "0.0000000000000000000000000001"),
    ('+', MAX, "0.4"),                                   # rounds back to MAX
    ('+', MAX, "0.5"),                                   # tie rounds to 2^96: overflow
    ('+', MAX, "1"),
    ('-', "-" + MAX, "0.5"),
    ('*', MAX, "0.1"),
    ('*', MAX, "1.0000000000000000000000000001"),
    ('*', "281474976710656", "281474976710656"),         # 2^96 exactly
    ('*', "281474976710656", "281474976710655.99999999999999"),
    ('/', "1", "3"), ('/', "2", "3"), ('/', "20", "3"), ('/', "-20", "3"),
    ('/', "1", "7"), ('/', "1", "0"), ('/', "0", "0"), ('/', "-5", "0.0"),
    ('/', "0.0000000000000000000000000001", "3"),        # below half a place: 0
    ('/', "0.0000000000000000000000000002", "3"),        # 0.67 of a place: 1E-28
    ('/', "0.0000000000000000000000000001", "2"),        # exact tie: 0
    ('/', "0.0000000000000000000000000003", "2"),        # exact tie: 2E-28
    ('/', MAX, "0.1"), ('/', MAX, "0.9"), ('/', "1", "0.0000000000000000000000000001"),
    ('/', "7.9", "0.0000000000000000000000000001"),
    ('/', "8", "0.0000000000000000000000000001"),
    ('/', "1", MAX),
    ('/', "2.5066282746310005", "0.0000000000000000000000000001"),
    # Ties whose exact product needs more than 128 bits.
    ('*', "7.9228162514264337593543950333", "0.5000000000000000000"),   # even: stays
    ('*', "7.9228162514264337593543950335", "0.5000000000000000000"),   # odd: up
    ('*', "-7.9228162514264337593543950333", "0.5000000000000000000"),
    ('-', "1", "1.0000000000000000000000000001"),
    ('+', "0.1", "-0.1"),
]

TEXTS = [
    "76.18009172947146d0", "-86.50532032941677d0", "0.1208650973866179d-2",
    "-0.5395239384953d-5", "2.5066282746310005d0", "1.000000000190015d0",
    "3.3871328727963666080D+00", "4.2313330701600911252D+01",
    "1.42343711074968357734D+00", "2.04426310338993978564D-15", "1.0D+00",
    ".3526249659989109D-01", ".8838834764831844D-1", "2.506628274631001D0",
    "1d-13", "0.3989422804014326", "2.2352520354606839287d00",
    " 12.5 ", "+7", "-0", "0.000", "1e28", "7.9228162514264337593543950335E28",
    "79228162514264337593543950336", "79228162514264337593543950335.5",
    "79228162514264337593543950335.4999", "7.92281625142643375935439503355",
    "0.00000000000000000000000000015", "0.00000000000000000000000000025",
    "0.000000000000000000000000000049999", "1E-100", "123456789012345678901234567890E-5",
    "1E+29", "0.0000000000000000000000000000000000000001E+40",
]
BAD_TEXTS = ["", "abc", "1e", "1.2.3", "--1", "1d+", ".", "e5", "1 2", "0x10"]

DOUBLES = [
    0.1, 1.0 / 3.0, 2.0 / 3.0, 3.141592653589793, 2.718281828459045, 1e-28, 4.9e-29,
    5e-29, 5.1e-29, 1.5e-28, 2.5e-28, 1.234567890123456789e-20, 123456789.123456789,
    1234567890123455.0, 1234567890123445.0, 2.0 ** 53 + 2.0,
    7.92281625142643e28, 7.92281625142644e28, 1e29, -1e29, 1e300, 5e-324, -0.0,
    0.0, -1.5, 1.000000000190015, 1e15, 1e16 + 2.0, 0.30000000000000004,
    6.0e-12, 1.0 - 2.0 ** -52, 1.0 + 2.0 ** -52, 1e-14, 37.5, -0.398942280401433,
    1e28, 5e28, 7e28, -7.9e28, 1e20, 123e25, 2e-29, 1e-30, 1.5e-300, 25.0, 1e22, 1e23,
    9007199254740993.0 * 1024,
]

TO_DOUBLE = [
    "0.1", "0.3333333333333333333333333333", "0.6666666666666666666666666667",
    "6.6666666666666666666666666667", MAX, "-" + MAX, "7.9228162514264337593543950335",
    "0.0000000000000000000000000001", "0.0000000000000000000000000005",
    "1.000000000190015", "2.5066282746310005", "9007199254740993",
    "9007199254740995", "0.1000000000000000055511151231", "1.0000000000000001110223024625",
    "1.0000000000000001110223024626", "0.3989422804014327", "-1234.5678",
]


def main():
    rng = random.Random(20261210)
    out = sys.stdout
    out.write("// Generated by tools/oracles/decimal_type.py with Python's decimal module.\n")
    out.write("// Do not edit by hand.\n\n")

    out.write("// {text, expected plain value or \"\", error number}\n")
    out.write("static const DecimalTextCase kDecimalTextCases[] = {\n")
    for t in TEXTS:
        out.write("    {%s, %s},\n" % (cstr(t), result(from_text, t)))
    for t in BAD_TEXTS:
        try:
            from_text(t)
            raise SystemExit("Python accepted %r" % t)
        except Fault:
            pass
        out.write("    {%s, \"\", %d},\n" % (cstr(t), TYPE_MISMATCH))
    out.write("};\n\n")

    doubles = list(DOUBLES)
    for _ in range(60):
        doubles.append(rng.choice([-1, 1]) * 10 ** rng.uniform(-31, 29))
    for _ in range(60):  # doubles whose shortest text has few digits
        k = rng.randrange(0, 16)
        doubles.append(float("%.*fe%d" % (k, rng.uniform(1, 10), rng.randrange(-31, 29))))
    out.write("// {double, expected plain value or \"\", error number}\n")
    out.write("static const DecimalFromDoubleCase kDecimalFromDoubleCases[] = {\n")
    for x in doubles:
        out.write("    {%s, %s}, // %r\n" % (x.hex() if x == x else "0", result(from_double, x), x))
    out.write("};\n\n")

    texts = list(TO_DOUBLE)
    for _ in range(60):
        c = rng.randrange(0, LIMIT)
        s = rng.randrange(0, 29)
        texts.append(plain(WIDE.multiply(Decimal(c).scaleb(-s, context=WIDE), rng.choice([-1, 1]))))
    out.write("// {decimal text, nearest double}\n")
    out.write("static const DecimalToDoubleCase kDecimalToDoubleCases[] = {\n")
    for t in texts:
        out.write("    {%s, %s},\n" % (cstr(t), float(Decimal(t)).hex()))
    out.write("};\n\n")

    ops = []
    for a in NAMED:
        for b in NAMED:
            for op in "+-*/":
                ops.append((op, a, b))
    for _ in range(150):
        def rand_value():
            c = rng.randrange(0, 2 ** rng.randrange(1, 97))
            s = rng.randrange(0, 29)
            return plain(WIDE.multiply(Decimal(c).scaleb(-s, context=WIDE), rng.choice([-1, 1])))
        ops.append((rng.choice("+-*/"), rand_value(), rand_value()))
    ops.extend(EDGES)
    out.write("// {operation, a, b, expected plain value or \"\", error number}\n")
    out.write("static const DecimalOpCase kDecimalOpCases[] = {\n")
    for op, a, b in ops:
        out.write("    {'%s', %s, %s, %s},\n" % (op, cstr(a), cstr(b), result(arith, op, a, b)))
    out.write("};\n")


if __name__ == "__main__":
    main()
