# Reference values for the studentized range distribution.
#
# P(Q <= q) for r means and v degrees of freedom is the infinite-df
# probability ptukey(q s, r, Inf) averaged over the scale s = sqrt(chisq_v / v),
# whose density is 2 v s dchisq(v s^2, v); integrate() gives it to about
# 1e-14 (checked below against the closed forms of r = 2: 2 Phi(q / sqrt 2) - 1
# at infinite df and P(|t_v| <= q / sqrt 2) at v df). ptukey(q, r, v)
# itself is used only to cross-check: at 2 and 3 df its quadrature is off by
# up to 0.003 (r = 20, v = 2, p = 0.99: ptukey 0.99000, the integral 0.99273,
# 2e6 simulated ranges 0.99279), from 10 df on it agrees to 1e-6.
# Above 120 df the scale's density is narrow: the integral runs between its
# 1e-17 quantiles. There ptukey(q, r, v) agrees with the integral to 1e-8
# (checked below), and a second table holds ptukey itself at 121 to 10,000
# df, the library's probabilities being held to 1e-4 of R's there.
#
# The points q are the 0.1, 0.5, 0.9, 0.95 and 0.99 quantiles (uniroot on
# the integral) rounded to six digits. For the quantile routine: the
# quantile q0 of p and the probability on a grid of 41 points
# 0.9 q0 .. 1.1 q0, so that the test can read off the probability of
# the quantile it gets.
# Run from the repository root:  Rscript tools/oracles/studentized_range.R
source("tools/oracles/common.R")

ptukey_v <- function(q, r, v) {
  f <- function(s) {
    p <- ptukey(q * s, r, Inf)
    p[!is.finite(p)] <- 1
    p * 2 * v * s * dchisq(v * s^2, v)
  }
  lower <- if (v > 120) sqrt(qchisq(1e-17, v) / v) else 0
  integrate(f, lower, sqrt(qchisq(1e-17, v, lower.tail = FALSE) / v), rel.tol = 1e-12,
            subdivisions = 1000L)$value
}
qtukey_v <- function(p, r, v) uniroot(function(q) ptukey_v(q, r, v) - p, c(1e-3, 500), tol = 1e-13)$root

for (v in c(1, 2, 5, 30, 120)) for (q in c(0.5, 3, 10)) {
  stopifnot(abs(ptukey_v(q, 2, v) - (1 - 2 * pt(-q / sqrt(2), v))) < 1e-12)
}
for (q in c(0.5, 3, 10)) stopifnot(abs(ptukey(q, 2, Inf) - (2 * pnorm(q / sqrt(2)) - 1)) < 1e-12)
for (r in c(3, 10, 20)) for (q in c(1, 4, 8)) {
  stopifnot(abs(ptukey_v(q, r, 2) - ptukey(q, r, 2)) < 3e-3, abs(ptukey_v(q, r, 30) - ptukey(q, r, 30)) < 1e-6)
}
for (v in c(121, 1000, 10000)) for (r in c(3, 20, 100)) for (q in c(1, 4, 8)) {
  stopifnot(abs(ptukey_v(q, r, v) - ptukey(q, r, v)) < 1e-8)
}

con <- file(out_path("studentized_range_cases.inc"), "w")
header(con, "studentized_range.R")
writeLines("struct PtukeyCase {\n    double q, v, r, p;\n};", con)
writeLines("const PtukeyCase kPtukeyCases[] = {", con)
for (r in c(2, 3, 5, 10, 20)) {
  for (v in c(1, 2, 3, 5, 10, 30, 120, 121, 200, 1000, 10000, 1e6)) {
    for (p in c(0.1, 0.5, 0.9, 0.95, 0.99)) {
      q <- signif(qtukey_v(p, r, v), 6)
      writeLines(sprintf("    {%s, %s, %s, %s},", num(q), num(v), num(r), num(ptukey_v(q, r, v))), con)
    }
  }
}
writeLines("};", con)

writeLines("struct QtukeyCase {\n    double p, v, r, q0;\n    double grid[41]; // P(Q <= q0 (0.9 + 0.005 k))\n};", con)
writeLines("const QtukeyCase kQtukeyCases[] = {", con)
for (r in c(2, 3, 5, 10, 20)) {
  for (v in c(2, 5, 10, 30, 120, 121, 1000, 10000)) {
    for (p in c(0.9, 0.95, 0.975, 0.99)) {
      q0 <- qtukey_v(p, r, v)
      grid <- sapply(q0 * (0.9 + 0.005 * (0:40)), ptukey_v, r = r, v = v)
      writeLines(sprintf("    {%s, %s, %s, %s, %s},", num(p), num(v), num(r), num(q0), vec(grid)), con)
    }
  }
}
writeLines("};", con)

# R's own ptukey from 121 to 10,000 df, at the 0.1 to 0.99 quantiles of
# 2 to 100 means, and at q = 4.5 for 20 means.
writeLines("struct PtukeyRCase {\n    double q, v, r, ptukey;\n};", con)
writeLines("const PtukeyRCase kPtukeyRCases[] = {", con)
for (v in c(121, 200, 1000, 10000)) {
  for (r in c(2, 3, 5, 10, 20, 50, 100)) {
    for (p in c(0.1, 0.5, 0.9, 0.95, 0.99)) {
      q <- signif(uniroot(function(q) ptukey(q, r, v) - p, c(1e-3, 50), tol = 1e-12)$root, 6)
      writeLines(sprintf("    {%s, %s, %s, %s},", num(q), num(v), num(r), num(ptukey(q, r, v))), con)
    }
  }
  writeLines(sprintf("    {4.5, %s, 20, %s},", num(v), num(ptukey(4.5, 20, v))), con)
}
writeLines("};", con)
close(con)
