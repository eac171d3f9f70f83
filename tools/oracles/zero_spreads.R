# Degenerate data and small real spreads, as the report and the comparison
# must see them.
#
# Each degenerate case is written with decimals (two decimals, as a user
# types them) and has a whole-number twin (the same values times 100). R
# evaluates the twin, whose sums are exact: a constant column has sd 0 and
# cor() NA; differences that are one value have sd 0, and the paired t test
# is then decided by the closed form 2 pt(-|d / 0|, n - 1): 0 for a mean
# difference that is not 0, NaN (0 / 0) for one that is. KVE must print the
# same for the decimals as for the twin. (R's t.test itself refuses such
# data as "essentially constant".)
#
# Each small real spread (values near 1e-13 that spread by about 1e-15,
# values near 1e9 that spread by about 1e-3) is evaluated by R on its
# decimals: Pearson's r with the t of r = 0, the least-squares slope, and
# the paired t test of the differences, which KVE must print as numbers.
#
# Run from the repository root:
#   Rscript tools/oracles/zero_spreads.R app/tests/core/reference
# It writes app/tests/core/reference/zero_spread_cases.inc.
source("tools/oracles/common.R")

obs <- c(5.27, 4.06, 7.56, 3.51, 6.75, 5.56, 3.41, 6.55, 3.26, 6.04,
         3.49, 3.63, 5.97, 8.79, 3.87, 4.56, 7.39, 9.63, 7.04, 5.78)
noise <- c(0.31, -0.22, 0.15, -0.41, 0.27, 0.05, -0.12, 0.33, -0.29, 0.18,
           -0.07, 0.22, -0.35, 0.41, -0.16, 0.09, -0.25, 0.12, 0.38, -0.19)
n <- length(obs)
two <- function(v) sprintf("%.2f", v)
whole <- function(v) sprintf("%d", as.integer(round(100 * v)))

# name, predictions and observations (numbers; written with two decimals,
# and times 100 for the twin).
degenerate <- list(
  list("constant prediction", rep(5.6, n), obs),
  list("exact line X = Y + 1", obs + 1, obs),
  list("exact line X = 2 Y + 1", 2 * obs + 1, obs),
  list("constant observation", obs, rep(5.6, n)),
  list("perfect model X = Y", obs, obs),
  list("bias of 0.01", obs + 0.01, obs),
  list("both constant", rep(5.6, n), rep(3.3, n)),
  list("both constant and equal", rep(5.6, n), rep(5.6, n))
)

# The twin's statistics: r (NA: no spread), the paired test of Y - X.
twin_stats <- function(x, y) {
  xi <- round(100 * x); yi <- round(100 * y)
  r <- suppressWarnings(cor(xi, yi))
  d <- yi - xi
  s <- sd(d)
  t <- mean(d) / (s / sqrt(n))
  p <- 2 * pt(-abs(t), n - 1)
  c(r = r, sd = s, t = t, p = p)
}

# Small real spreads, as decimals: X = level + scale (obs + noise),
# Y = level + scale obs.
real <- list(
  list("near 1e-13, spread 1e-15", 1e-13, 2e-16, "%.6e"),
  list("near 1e9, spread 1e-3", 1e9, 1.5e-4, "%.7f")
)
real_stats <- function(xs, ys) {
  x <- as.numeric(xs); y <- as.numeric(ys)
  r <- cor(x, y)
  tr <- r * sqrt((n - 2) / (1 - r^2))
  # lm() calls x near 1e9 collinear with the intercept (its QR tolerance
  # 1e-7): the slope from the centred sums instead.
  b <- cov(x, y) / var(x)
  tp <- unname(t.test(y, x, paired = TRUE)$statistic)
  c(r = r, tr = tr, b = b, tp = tp)
}

con <- file(out_path("zero_spread_cases.inc"), "w")
header(con, "zero_spreads.R")
strs <- function(v) paste0("{", paste0("\"", v, "\"", collapse = ", "), "}")
writeLines(c("// {name, X and Y with decimals, X and Y of the whole-number twin (times 100),",
             "//  the twin's r (NaN: R's NA), sd of Y - X, paired t and P (NaN: 0 / 0)}"), con)
writeLines("const DegenerateCase kDegenerateCases[] = {", con)
for (cs in degenerate) {
  st <- twin_stats(cs[[2]], cs[[3]])
  writeLines(sprintf("    {\"%s\", %s, %s, %s, %s, %s},", cs[[1]], strs(two(cs[[2]])), strs(two(cs[[3]])),
                     strs(whole(cs[[2]])), strs(whole(cs[[3]])), vec(st)), con)
}
writeLines("};", con)
writeLines(c("// {name, X and Y as decimals, R's r, t of r = 0, least-squares slope,",
             "//  paired t of Y - X}"), con)
writeLines("const RealSpreadCase kRealSpreadCases[] = {", con)
for (cs in real) {
  xs <- sprintf(cs[[4]], cs[[2]] + cs[[3]] * (obs + noise))
  ys <- sprintf(cs[[4]], cs[[2]] + cs[[3]] * obs)
  st <- real_stats(xs, ys)
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", cs[[1]], strs(xs), strs(ys), vec(st)), con)
}
writeLines("};", con)
close(con)

# What R says of the decimals themselves: the mean of twenty 5.6 is 5.6 in
# R's long-double sums, so its variance is 0 and cor() NA, as for the twin.
stopifnot(var(rep(5.6, n)) == 0, is.na(suppressWarnings(cor(rep(5.6, n), obs))))
