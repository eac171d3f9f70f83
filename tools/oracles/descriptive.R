# Reference values for the descriptive statistics: R's mean, var, sd, median,
# cor, cov and dist, and the moment formulas written out. Run from the
# repository root:  Rscript tools/oracles/descriptive.R
source("tools/oracles/common.R")
set.seed(20261210)

con <- file(out_path("descriptive_cases.inc"), "w")
header(con, "descriptive.R")

# Moments of data(1..n): n may be below the array's length; the median is
# that of the whole array.
writeLines("struct MomentsCase {\n    const char* name;\n    std::vector<double> data;\n    int n;\n    double ave, med, adev, sdev, var, skew, kurt, min, max;\n};", con)
writeLines("const MomentsCase kMomentsCases[] = {", con)
msets <- list(
  list(name = "one to five", data = c(1, 2, 3, 4, 5), n = 5),
  list(name = "normal", data = round(rnorm(30, 10, 3), 3), n = 30),
  list(name = "skewed", data = round(rexp(25, 0.2), 2), n = 25),
  list(name = "ties", data = rep(c(1.5, 2, 2, 9), 10), n = 40),
  list(name = "first n of longer", data = round(runif(12, -5, 5), 1), n = 9),
  list(name = "large offset", data = 1e6 + round(rnorm(200), 2), n = 200),
  # A thousand values near 1e9 that spread by a tenth, a third of them
  # skewed up; made without random draws, so the draws of the cases after
  # it stay as they were.
  list(name = "near 1e9, spread a tenth",
       data = 1e9 + round(5 + 0.1 * qnorm(ppoints(1000))[order(sin(1:1000))] +
                          ifelse(1:1000 %% 3 == 0, qexp(ppoints(1000)) / 10, 0), 3), n = 1000)
)
for (s in msets) {
  x <- s$data[1:s$n]; n <- s$n; m <- mean(x)
  sdv <- sd(x)
  # The shape about the mean of the data less their offset (exact for data
  # far from zero): about R's own mean, rounded to a double near 1e6 or 1e9,
  # the skewness would carry that rounding.
  off <- if (grepl("offset|1e9", s$name)) round(m) else 0
  z <- x - off; mz <- mean(z)
  vals <- c(m, median(s$data), mean(abs(z - mz)), sdv, var(x),
            sum((z - mz)^3) / (n * sdv^3), sum((z - mz)^4) / (n * var(x)^2), min(x), max(x))
  writeLines(sprintf("    {\"%s\", %s, %d, %s},", s$name, vec(s$data), n, paste(num(vals), collapse = ", ")), con)
}
writeLines("};", con)

# Mean and variance of a range with MissingValue (1e-99) skipped.
writeLines("struct RangeCase {\n    std::vector<double> data;\n    int first, last;\n    bool missing;\n    double mean, var, popvar;\n};", con)
writeLines("const RangeCase kRangeCases[] = {", con)
base <- round(rnorm(20, 50, 15), 2)
withna <- base; withna[c(2, 7, 8, 15)] <- 1e-99
rcases <- list(list(base, 1, 20, FALSE), list(base, 4, 17, FALSE), list(withna, 1, 20, TRUE),
               list(withna, 5, 16, TRUE), list(withna, 1, 20, FALSE))
for (rc in rcases) {
  v <- rc[[1]][rc[[2]]:rc[[3]]]
  if (rc[[4]]) v <- v[v != 1e-99]
  n <- length(v)
  writeLines(sprintf("    {%s, %d, %d, %s, %s, %s, %s},", vec(rc[[1]]), rc[[2]], rc[[3]],
                     if (rc[[4]]) "true" else "false", num(mean(v)), num(var(v)),
                     num(var(v) * (n - 1) / n)), con)
}
writeLines("};", con)

# Pairs: STAT_MeanVarCoVar and STAT_Corr.
writeLines("struct PairCase {\n    const char* name;\n    std::vector<double> x, y;\n    double meanX, meanY, varX, varY, meanD, varD, covPop, sdXPop, sdYPop, cor;\n};", con)
writeLines("const PairCase kPairCases[] = {", con)
x1 <- round(runif(40, 0, 20), 2); y1 <- round(x1 + rnorm(40, 0.5, 2), 2)
x2 <- c(3, 1, 4, 1, 5, 9, 2, 6); y2 <- c(2, 7, 1, 8, 2, 8, 1, 8)
x3 <- 1e5 + round(rnorm(300), 3); y3 <- 1e5 - 0.5 * (x3 - 1e5) + round(rnorm(300, 0, 0.3), 3)
for (p in list(list("random", x1, y1), list("digits", x2, y2), list("large offset", x3, y3))) {
  x <- p[[2]]; y <- p[[3]]; n <- length(x); d <- x - y
  vals <- c(mean(x), mean(y), var(x), var(y), mean(d), var(d), cov(x, y) * (n - 1) / n,
            sd(x) * sqrt((n - 1) / n), sd(y) * sqrt((n - 1) / n), cor(x, y))
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", p[[1]], vec(x), vec(y), paste(num(vals), collapse = ", ")), con)
}
writeLines("};", con)

# Distances between two positive vectors: dist() for Euclidean, Minkowski
# and Canberra; Czekanowski and Kullback-Leibler written out.
writeLines("struct DistanceCase {\n    std::vector<double> x, y, m, minkowski;\n    double euclidean, canberra, czekanowski, kullbackLeibler;\n};", con)
writeLines("const DistanceCase kDistanceCases[] = {", con)
m <- c(1, 1.5, 3, 4)
for (k in 1:3) {
  x <- round(runif(15 * k, 0.5, 10), 2); y <- round(x * runif(15 * k, 0.7, 1.3), 2)
  mk <- sapply(m, function(p) as.numeric(dist(rbind(x, y), method = "minkowski", p = p)))
  writeLines(sprintf("    {%s, %s, %s, %s, %s, %s, %s, %s},", vec(x), vec(y), vec(m), vec(mk),
                     num(as.numeric(dist(rbind(x, y)))), num(as.numeric(dist(rbind(x, y), method = "canberra"))),
                     num(1 - 2 * sum(pmin(x, y)) / sum(x + y)), num(sum(y * log(y / x)))), con)
}
writeLines("};", con)
close(con)
