# Reference values for the interval table: lm() fits and
# predict(se.fit = TRUE) at every x and at mean(x) (the fit, its standard
# error and, with the residual standard deviation, the standard error of a
# new observation), and the limits of predict(interval = "confidence") and
# (interval = "prediction") with qt's quantile.
# Run from the repository root:  Rscript tools/oracles/interval_table.R
source("tools/oracles/common.R")
set.seed(20261212)

con <- file(out_path("interval_table_cases.inc"), "w")
header(con, "interval_table.R")
writeLines(paste0("struct IntervalCase {\n    const char* name;\n    std::vector<double> x, y;\n",
                  "    double level, a, b, meanX, SSE, MSE, qt;\n",
                  "    std::vector<double> fit, seFit, sePred, lowerCI, upperCI, lowerPI, upperPI;\n",
                  "    double fitAtMean, seAtMean, sePredAtMean;\n};"), con)
writeLines("const IntervalCase kIntervalCases[] = {", con)
sets <- list(
  list("n 3", c(1, 2, 4), c(1.1, 2.3, 3.8), 0.95),
  list("n 5 at 90 %", c(0.5, 1.5, 2, 3.5, 6), c(2.2, 2.9, 3.1, 4.4, 5.6), 0.90),
  list("n 25 negative slope", round(runif(25, 0, 20), 2), NULL, 0.95),
  list("x at 1e6", 1e6 + (1:30) / 4, NULL, 0.99),
  list("n 1000", round(rnorm(1000, 50, 10), 3), NULL, 0.95))
sets[[3]][[3]] <- round(40 - 1.3 * sets[[3]][[2]] + rnorm(25, 0, 3), 2)
sets[[4]][[3]] <- round(0.3 * (sets[[4]][[2]] - 1e6) + rnorm(30), 3)
sets[[5]][[3]] <- round(5 + 0.8 * sets[[5]][[2]] + rnorm(1000, 0, 6), 3)
for (s in sets) {
  x <- s[[2]]; y <- s[[3]]; level <- s[[4]]
  fit <- lm(y ~ x)
  p <- predict(fit, se.fit = TRUE)
  ci <- predict(fit, interval = "confidence", level = level)
  pi <- suppressWarnings(predict(fit, interval = "prediction", level = level))
  m <- predict(fit, newdata = data.frame(x = mean(x)), se.fit = TRUE)
  sigma <- p$residual.scale
  scalars <- c(level, coef(fit)[1], coef(fit)[2], mean(x), sum(residuals(fit)^2), sigma^2,
               qt(1 - (1 - level) / 2, p$df))
  arrays <- list(p$fit, p$se.fit, sqrt(p$se.fit^2 + sigma^2), ci[, "lwr"], ci[, "upr"], pi[, "lwr"], pi[, "upr"])
  writeLines(sprintf("    {\"%s\", %s, %s, %s, %s, %s},", s[[1]], vec(x), vec(y), paste(num(unname(scalars)), collapse = ", "),
                     paste(sapply(arrays, function(a) vec(unname(a))), collapse = ", "),
                     paste(num(c(m$fit, m$se.fit, sqrt(m$se.fit^2 + sigma^2))), collapse = ", ")), con)
}
writeLines("};", con)
close(con)
